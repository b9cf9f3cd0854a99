# Compiler settings for Zelcap's own targets; third-party code keeps its own.
set(ZELCAP_WARNINGS
    -Wall -Wextra -Wshadow -Wformat=2 -Wimplicit-fallthrough -Werror)
# Sources are UTF-8; the program's texts are CP932 bytes.
set(ZELCAP_CHARSET -finput-charset=UTF-8 -fexec-charset=CP932)

function(zelcap_target_flags target)
    target_compile_options(${target} PRIVATE ${ZELCAP_WARNINGS} ${ZELCAP_CHARSET})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()
