# Strict warnings for the project's own targets only; third-party headers stay as they are.
function(qv4130_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${QV4130_WERROR}>:/WX>)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
                               $<$<BOOL:${QV4130_WERROR}>:-Werror>)
    endif()
endfunction()
