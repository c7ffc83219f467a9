# The program loads the registry, window and shell libraries only when it first calls
# into them: under Wine merely loading user32 costs more than the whole
# password query. Libraries of the same names in a directory searched first
# turn `-luser32` and the others into delay-load imports for one target.
set(MG_DELAY_LOADED advapi32 user32 gdi32 comctl32 shell32 ole32 comdlg32 uxtheme)
set(MG_DELAYIMP_DIR ${CMAKE_BINARY_DIR}/delayimp)

set(delay_outputs)
foreach(library IN LISTS MG_DELAY_LOADED)
    find_library(MG_IMPLIB_${library} NAMES lib${library}.a REQUIRED)
    set(output ${MG_DELAYIMP_DIR}/lib${library}.a)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${MG_DELAYIMP_DIR}
        COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DIMPLIB=${MG_IMPLIB_${library}}
                -DDLL=${library}.dll -DOUT=${output} -DDEF=${MG_DELAYIMP_DIR}/${library}.def
                -P ${CMAKE_CURRENT_LIST_DIR}/make_delaylib.cmake
        DEPENDS ${MG_IMPLIB_${library}} ${CMAKE_CURRENT_LIST_DIR}/make_delaylib.cmake
        VERBATIM)
    list(APPEND delay_outputs ${output})
endforeach()
add_custom_target(mg_delayimp DEPENDS ${delay_outputs})

function(mg_use_delay_loading target)
    add_dependencies(${target} mg_delayimp)
    # Relinked when the list of delay-loaded libraries changes.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${delay_outputs})
    target_link_options(${target} PRIVATE -L${MG_DELAYIMP_DIR})
endfunction()
