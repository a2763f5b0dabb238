# Our own code compiles without warnings; third-party headers are included
# as system headers so their warnings do not count. FENNEX_WERROR makes
# every warning an error (CI and scripts/test.sh turn it on).
option(FENNEX_WERROR "Treat compiler warnings in our own code as errors" OFF)

function(fennex_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    # GCC 12 at -O3 takes the std::string code it inlines for overlapping
    # copies ("x" + std::to_string(n) and the like), a known fault of that
    # release: its -Wrestrict says nothing true about our code.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
       AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
    if(FENNEX_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
