# Windows programs of the build run under Wine: every test through the
# emulator script, inside a session (display and Wine server) that a CTest
# fixture starts once and stops at the end.
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine/wine-env.sh.in ${CMAKE_BINARY_DIR}/wine-env.sh @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                WORLD_EXECUTE @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine/wine-session.sh.in ${CMAKE_BINARY_DIR}/wine-session
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                WORLD_EXECUTE @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

set(MG_WINE_FIXTURE wine_session)

function(mg_add_wine_session_tests)
    add_test(NAME wine_session_start COMMAND ${CMAKE_BINARY_DIR}/wine-session start)
    set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP ${MG_WINE_FIXTURE} TIMEOUT 600)
    add_test(NAME wine_session_stop COMMAND ${CMAKE_BINARY_DIR}/wine-session stop)
    set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP ${MG_WINE_FIXTURE} TIMEOUT 60)
endfunction()

# A Windows test executable run under Wine within the session.
function(mg_add_wine_test name target)
    add_test(NAME ${name} COMMAND ${target} ${ARGN})
    # Judged by GoogleTest's own summary, not the exit code alone: a test
    # program that crashes part way may leave Wine answering 0.
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${MG_WINE_FIXTURE} TIMEOUT 300
                         PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
                         FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
endfunction()
