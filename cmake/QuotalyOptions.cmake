add_library(quotaly_options INTERFACE)
target_compile_options(quotaly_options INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(quotaly_options INTERFACE
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_URL_CAST_FROM_STRING
    QUOTALY_VERSION="${PROJECT_VERSION}")
if(QUOTALY_WERROR)
    target_compile_options(quotaly_options INTERFACE -Werror)
endif()
if(QUOTALY_SANITIZE)
    target_compile_options(quotaly_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                     -fno-sanitize-recover=undefined)
    target_link_options(quotaly_options INTERFACE -fsanitize=address,undefined)
endif()

# Copies a run-time folder beside the built binaries so that the build tree runs in portable mode.
function(quotaly_copy_runtime target)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DSRC=${PROJECT_SOURCE_DIR}/runtime -DDST=$<TARGET_FILE_DIR:${target}>
                -P ${PROJECT_SOURCE_DIR}/cmake/CopyRuntime.cmake
        VERBATIM)
endfunction()
