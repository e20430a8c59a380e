# Rebuilds the i686 import library after a --kill-at link: ld's own one maps
# decorated references (oxHexEx4@8) to names the DLL no longer exports.
# Inputs: DEF (ld's --output-def), DLLTOOL, DLL_NAME, IMPORT_LIBRARY.
file(STRINGS "${DEF}" lines)
set(exports "EXPORTS\n")
foreach(line IN LISTS lines)
  # "    name = name@12 @3" becomes "name@12"
  if(line MATCHES "^[ \t]+[A-Za-z0-9_]+ = ([A-Za-z0-9_]+@[0-9]+)")
    string(APPEND exports "${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^[ \t]+([A-Za-z0-9_]+)")
    string(APPEND exports "${CMAKE_MATCH_1}\n")
  endif()
endforeach()
file(WRITE "${DEF}.decorated" "${exports}")
execute_process(COMMAND "${DLLTOOL}" --kill-at --input-def "${DEF}.decorated" --dllname "${DLL_NAME}"
                        --output-lib "${IMPORT_LIBRARY}"
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "dlltool failed for ${IMPORT_LIBRARY}")
endif()
