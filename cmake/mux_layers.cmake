# SPDX-License-Identifier: MIT
# Each library exports only its own headers: its include root holds one link,
# <root>/<dir> -> src/<dir>, so "protocol/device_session.h" is found only by
# code that links muxprotocol (directly or through a library that does). A
# layer that includes a header of one it does not link fails to compile.
#
# Headers named after INTERNAL are the library's inside: then <root>/<dir> is
# a directory of links, one per entry of src/<dir> but those, and only the
# library's own sources see the whole of src/<dir>, through a second root.
# A library of some of a directory's files exports only the headers named:
# its root holds <root>/<dir>/<header> -> src/<dir>/<header>. The directory's
# own library then names them INTERNAL, so no source finds one by two paths.
function(mux_export_headers target)
    get_filename_component(dir "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
    set(root "${PROJECT_BINARY_DIR}/include_roots/${target}")
    file(MAKE_DIRECTORY "${root}/${dir}")
    foreach(header IN LISTS ARGN)
        if(NOT EXISTS "${root}/${dir}/${header}")
            file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}/${header}" "${root}/${dir}/${header}" SYMBOLIC)
        endif()
    endforeach()
    target_include_directories(${target} PUBLIC "${root}")
endfunction()

function(mux_export_own_headers target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "INTERNAL")
    get_filename_component(dir "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
    set(root "${PROJECT_BINARY_DIR}/include_roots/${dir}")
    file(MAKE_DIRECTORY "${root}")
    target_include_directories(${target} PUBLIC "${root}")
    if(NOT arg_INTERNAL)
        file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${root}/${dir}" SYMBOLIC)
        return()
    endif()
    # Only links are removed here, never what they point to.
    if(IS_SYMLINK "${root}/${dir}")
        file(REMOVE "${root}/${dir}")
    endif()
    file(GLOB stale LIST_DIRECTORIES true "${root}/${dir}/*")
    foreach(link IN LISTS stale)
        if(IS_SYMLINK "${link}")
            file(REMOVE "${link}")
        endif()
    endforeach()
    file(MAKE_DIRECTORY "${root}/${dir}")
    file(GLOB entries CONFIGURE_DEPENDS LIST_DIRECTORIES true RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}"
        "${CMAKE_CURRENT_SOURCE_DIR}/*")
    foreach(entry IN LISTS entries)
        if(NOT entry IN_LIST arg_INTERNAL)
            file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}/${entry}" "${root}/${dir}/${entry}" SYMBOLIC)
        endif()
    endforeach()
    set(inside "${PROJECT_BINARY_DIR}/include_roots/${dir}_inside")
    file(MAKE_DIRECTORY "${inside}")
    file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${inside}/${dir}" SYMBOLIC)
    target_include_directories(${target} BEFORE PRIVATE "${inside}")
endfunction()
