# The event log's message table: windmc turns res/marrowgate-events.mc into a
# header of event IDs for the code and a message table for the resources.
# Linking mg_eventmessages gives both the generated folder as include path
# (the .rc finds MSG00409.bin there) and orders the generation first.
find_program(MG_WINDMC NAMES x86_64-w64-mingw32-windmc windmc REQUIRED)
set(MG_EVENTS_SOURCE ${PROJECT_SOURCE_DIR}/res/marrowgate-events.mc)
set(MG_EVENTS_DIR ${CMAKE_BINARY_DIR}/eventmessages)
add_custom_command(
    OUTPUT ${MG_EVENTS_DIR}/marrowgate-events.h ${MG_EVENTS_DIR}/marrowgate-events.rc ${MG_EVENTS_DIR}/MSG00409.bin
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MG_EVENTS_DIR}
    COMMAND ${MG_WINDMC} -h ${MG_EVENTS_DIR} -r ${MG_EVENTS_DIR} ${MG_EVENTS_SOURCE}
    DEPENDS ${MG_EVENTS_SOURCE}
    VERBATIM)
add_custom_target(mg_eventmessages_generated DEPENDS ${MG_EVENTS_DIR}/marrowgate-events.h)
add_library(mg_eventmessages INTERFACE)
target_include_directories(mg_eventmessages INTERFACE ${MG_EVENTS_DIR})
add_dependencies(mg_eventmessages mg_eventmessages_generated)
