# SPDX-License-Identifier: MIT
# Each library exports only its own headers: its include root holds one link,
# <root>/<dir> -> src/<dir>, so "protocol/device_session.h" is found only by
# code that links muxprotocol (directly or through a library that does). A
# layer that includes a header of one it does not link fails to compile.
function(mux_export_own_headers target)
    get_filename_component(dir "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
    set(root "${PROJECT_BINARY_DIR}/include_roots/${dir}")
    file(MAKE_DIRECTORY "${root}")
    file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${root}/${dir}" SYMBOLIC)
    target_include_directories(${target} PUBLIC "${root}")
endfunction()
