# SPDX-License-Identifier: MIT
# mux_build_options: the compile and link options every target of the project
# links (PRIVATE for libraries and programs; the test support passes it on to
# the test programs). Nothing is set directory-wide.
add_library(mux_build_options INTERFACE)
target_compile_options(mux_build_options INTERFACE -Wall -Wextra)
if(MUX_SANITIZE)
    target_compile_options(mux_build_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(mux_build_options INTERFACE -fsanitize=address,undefined)
endif()
