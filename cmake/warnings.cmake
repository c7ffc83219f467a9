# Full warnings on the project's own targets, errors unless MG_WERROR is off.
function(mg_target_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /utf-8 $<$<BOOL:${MG_WERROR}>:/WX>)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic $<$<BOOL:${MG_WERROR}>:-Werror>)
    endif()
    if(WIN32)
        target_compile_definitions(${target} PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                   _WIN32_WINNT=0x0A00 WINVER=0x0A00)
    endif()
endfunction()
