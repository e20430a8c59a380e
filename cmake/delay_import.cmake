# Links a target to system DLLs that load at the first call of one of their
# functions instead of at start-up: under Wine every DLL loaded at start costs
# time and memory, and some bring more DLLs along. The delay-import libraries
# are made at each configure from the toolchain's own import libraries, so a
# change of this recipe reaches every build tree.
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
  file(MAKE_DIRECTORY ${dir})
  foreach(dll IN LISTS ARGN)
    set(library ${dir}/lib${dll}_delay.a)
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
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
      # i386 ld drops the code section of an import-library member when no
      # object names its symbols, taking it for an unused jump stub. A call
      # through a dllimport declaration names only the __imp_ slot, but a
      # delay-load slot starts out pointing into that code: dropped, the
      # first call jumps to the image's relocation offset. A section not
      # marked as code is kept, and still lands in .text.
      execute_process(COMMAND ${CMAKE_OBJCOPY}
                              --rename-section ".text=.text$thunk,contents,alloc,load,readonly,data" ${library}
                      COMMAND_ERROR_IS_FATAL ANY)
    endif()
    target_link_libraries(${target} PRIVATE ${library})
  endforeach()
endfunction()
