# Our own code compiles without warnings; third-party headers are included
# as system headers so their warnings do not count. FENNEX_WERROR makes
# every warning an error (CI and scripts/test.sh turn it on).
option(FENNEX_WERROR "Treat compiler warnings in our own code as errors" OFF)

function(fennex_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(FENNEX_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
