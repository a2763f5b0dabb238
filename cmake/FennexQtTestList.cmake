# Run after a QtTest program is built (see fennex_qtest in tests/CMakeLists.txt):
# asks PROGRAM for its test functions and writes OUTPUT, which gives CTest one
# test TARGET.function for each, so that they run side by side.
#   cmake -D PROGRAM=... -D TARGET=... -D OUTPUT=... -D PROPERTIES_FILE=... -P FennexQtTestList.cmake
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND "${PROGRAM}" -functions
                OUTPUT_VARIABLE listing
                ERROR_VARIABLE errors
                RESULT_VARIABLE status
                TIMEOUT 60)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} -functions failed (${status}): ${errors}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(content "")
set(count 0)
foreach(line IN LISTS lines)
    if(line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)\\(\\)$")
        set(function "${CMAKE_MATCH_1}")
        string(APPEND content
               "add_test([=[${TARGET}.${function}]=] [=[${PROGRAM}]=] [=[${function}]=])\n"
               "set_tests_properties([=[${TARGET}.${function}]=] PROPERTIES \${${TARGET}_PROPERTIES})\n")
        math(EXPR count "${count} + 1")
    endif()
endforeach()
if(count EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} -functions listed no test function: ${listing}")
endif()
file(WRITE "${OUTPUT}" "${content}")
