# Our own code compiles without warnings; third-party headers are included
# as system headers so their warnings do not count.
function(fennex_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()
