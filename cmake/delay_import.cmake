# Links a target to system DLLs that load at the first call of one of their
# functions instead of at start-up: under Wine every DLL loaded at start costs
# time and memory, and some bring more DLLs along. The delay-import libraries
# are made once from the toolchain's own import libraries.
function(delay_import target)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # Symbols carry stdcall decorations (_name@12); the DLL exports plain names.
    set(prefix "__imp__")
    set(kill_at --kill-at)
  else()
    set(prefix "__imp_")
    set(kill_at)
  endif()
  set(dir ${CMAKE_BINARY_DIR}/delay_import)
  foreach(dll IN LISTS ARGN)
    set(library ${dir}/lib${dll}_delay.a)
    if(NOT EXISTS ${library})
      file(MAKE_DIRECTORY ${dir})
      execute_process(COMMAND ${CMAKE_NM} ${CMAKE_FIND_ROOT_PATH}/lib/lib${dll}.a
                      OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
      string(REGEX MATCHALL " I ${prefix}[^\n]+" imports "${symbols}")
      list(TRANSFORM imports REPLACE " I ${prefix}" "")
      list(REMOVE_DUPLICATES imports)
      list(JOIN imports "\n" exports)
      file(WRITE ${dir}/${dll}.def "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
      execute_process(COMMAND ${CMAKE_DLLTOOL} ${kill_at} --input-def ${dir}/${dll}.def --dllname ${dll}.dll
                              --output-delaylib ${library}
                      COMMAND_ERROR_IS_FATAL ANY)
    endif()
    target_link_libraries(${target} PRIVATE ${library})
  endforeach()
endfunction()
