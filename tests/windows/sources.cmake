# Every file of the window compiled as Windows code by scripts/check-windows-sources, and the proof
# that the check fails on POSIX-only code and picks the window's files. The sanitized build has the
# same files: they are checked once, in the normal build.
if(AMPLIX_SANITIZE OR CMAKE_CROSSCOMPILING)
    return()
endif()

find_program(AMPLIX_MINGW_CXX NAMES x86_64-w64-mingw32-g++-posix)
if(NOT AMPLIX_MINGW_CXX)
    message(FATAL_ERROR "The window's Windows check needs mingw-w64's x86_64-w64-mingw32-g++-posix: "
                        "scripts/install-deps installs it (g++-mingw-w64-x86-64-posix).")
endif()

set(AMPLIX_CHECK_WINDOWS_SOURCES ${PROJECT_SOURCE_DIR}/scripts/check-windows-sources)
set(AMPLIX_CHECK_WINDOWS_SOURCES_TEST ${CMAKE_CURRENT_LIST_DIR}/check-windows-sources-test.sh)

# It compiles on every core, so CTest starts nothing beside it.
cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
add_test(NAME windows_sources_check COMMAND bash ${AMPLIX_CHECK_WINDOWS_SOURCES} ${CMAKE_BINARY_DIR})
set_tests_properties(windows_sources_check PROPERTIES PROCESSORS ${cores} TIMEOUT 900)

foreach(what fails selection)
    add_test(NAME windows_sources_check_${what}
             COMMAND bash ${AMPLIX_CHECK_WINDOWS_SOURCES_TEST} ${AMPLIX_CHECK_WINDOWS_SOURCES} ${CMAKE_BINARY_DIR} ${what})
    set_tests_properties(windows_sources_check_${what} PROPERTIES TIMEOUT 120)
endforeach()
set_tests_properties(windows_sources_check windows_sources_check_fails windows_sources_check_selection PROPERTIES
                     ENVIRONMENT AMPLIX_MINGW_CXX=${AMPLIX_MINGW_CXX})
