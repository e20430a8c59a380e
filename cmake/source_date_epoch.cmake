# SOURCE_DATE_EPOCH: the one time that a build writes into what it makes (PE
# time stamps, the type library), so that every build of a commit gives the
# same bytes. The builder's own SOURCE_DATE_EPOCH comes first; then the last
# commit's time; outside a checkout, the time of this tree's CMakeLists.txt,
# which in a source archive made by git archive is that commit's time.
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
find_package(Git QUIET)
if("${epoch}" STREQUAL "" AND Git_FOUND)
  # Only this tree's own repository: not one that a copy of it was put into.
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel --absolute-git-dir
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE git_dirs OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  file(REAL_PATH ${PROJECT_SOURCE_DIR} source_dir)
  if(git_dirs MATCHES "^([^\n]*)\n(.*)$" AND CMAKE_MATCH_1 STREQUAL source_dir)
    set(git_dir ${CMAKE_MATCH_2})
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    # A commit, checkout or reset moves HEAD and adds to its log: the build
    # configures again and stamps the new time.
    if(EXISTS ${git_dir}/logs/HEAD)
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${git_dir}/logs/HEAD)
    endif()
  endif()
endif()
if("${epoch}" STREQUAL "")
  file(TIMESTAMP ${PROJECT_SOURCE_DIR}/CMakeLists.txt epoch "%s" UTC)
endif()
set(SOURCE_DATE_EPOCH ${epoch} CACHE INTERNAL "The time stamped into the build's files")

# Binutils stamps the PE headers and export tables with it.
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH})
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_C_LINKER_LAUNCHER})
