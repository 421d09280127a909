# SPDX-License-Identifier: MIT
# mux_build_options: the compile and link options every target of the project
# links (PRIVATE for libraries and programs; the test support passes it on to
# the test programs). Nothing is set directory-wide.
add_library(mux_build_options INTERFACE)
target_compile_options(mux_build_options INTERFACE -Wall -Wextra)
# The per-platform source files are named x_${MUX_PLATFORM}.cpp.
if(WIN32)
    set(MUX_PLATFORM windows)
    # windows.h without its min/max macros and its COM extras.
    target_compile_definitions(mux_build_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE
                                                           _WIN32_WINNT=0x0A00)
    # <netinet/in.h> and <arpa/inet.h> (addresses, byte order) from WinSock.
    target_include_directories(mux_build_options INTERFACE ${PROJECT_SOURCE_DIR}/src/net/platform/windows_include)
    target_link_libraries(mux_build_options INTERFACE ws2_32)
else()
    set(MUX_PLATFORM posix)
endif()
if(MUX_SANITIZE)
    target_compile_options(mux_build_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(mux_build_options INTERFACE -fsanitize=address,undefined)
endif()
