# Warnings are errors in every target of ours, so a build stays clean.
function(vornhaskel_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion
                                                 -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Werror)
    endif()
endfunction()
