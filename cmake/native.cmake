# The native build (tools/build.sh native): the format readers, which need nothing of
# Windows, built by the host's clang.  build/native holds them with the address and
# undefined-behaviour sanitizers, their tests and the coverage-guided fuzz target;
# build/native-release (TARVIK_SANITIZE=OFF) holds them optimised, for the benchmark
# against TagLib.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(TARVIK_WARNINGS "$<$<COMPILE_LANGUAGE:CXX>:-Wall;-Wextra;-Wshadow;-Wcast-qual;-Wformat=2>")

option(TARVIK_SANITIZE "build with the address and undefined-behaviour sanitizers" ON)
if(TARVIK_SANITIZE)
    # Any report ends the program: a sanitizer's word fails the test that ran it.
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

add_subdirectory(src/formats)

include(CTest)
if(BUILD_TESTING AND TARVIK_SANITIZE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    add_subdirectory(tests/formats)
    add_subdirectory(tests/fuzz)
endif()
if(NOT TARVIK_SANITIZE)
    add_subdirectory(bench/native)
endif()
