# Writes a delay-load import library with the exports of a MinGW import library.
# Arguments: NM, DLLTOOL, IMPLIB, DLL, OUT, DEF.
execute_process(COMMAND ${NM} ${IMPLIB} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "nm failed on ${IMPLIB}")
endif()
string(REGEX MATCHALL " I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
list(REMOVE_DUPLICATES imports)
set(def "LIBRARY ${DLL}\nEXPORTS\n")
foreach(import IN LISTS imports)
    string(REPLACE " I __imp_" "" name "${import}")
    string(APPEND def "    ${name}\n")
endforeach()
file(WRITE ${DEF} "${def}")
execute_process(COMMAND ${DLLTOOL} --input-def ${DEF} --dllname ${DLL} --output-delaylib ${OUT}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "dlltool failed for ${DLL}")
endif()
