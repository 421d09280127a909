# SPDX-License-Identifier: MIT
# The cross build's outside code: the mingw toolchain's find root holds neither
# nlohmann-json nor GoogleTest, so both come from the build machine's Debian
# packages (nlohmann-json3-dev, googletest), the JSON headers copied apart so
# that no Linux system header is seen.
set(mux_json_root ${PROJECT_BINARY_DIR}/third_party/include)
file(COPY /usr/include/nlohmann DESTINATION ${mux_json_root})
add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE ${mux_json_root})
add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)
if(MUX_BUILD_TESTS)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL) # defines GTest::gtest
endif()
