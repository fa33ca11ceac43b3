# Cross-compiling tarvik with mingw-w64; the including toolchain file sets TARVIK_TRIPLE
# and CMAKE_SYSTEM_PROCESSOR.  The win32 thread model: the runtime linked into the DLL then
# carries no winpthreads, whose per-load allocations and handles a FreeLibrary never gives back.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${TARVIK_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TARVIK_TRIPLE}-g++-win32)
set(TARVIK_TOOLCHAIN_CXX ${CMAKE_CXX_COMPILER})
set(CMAKE_RC_COMPILER  ${TARVIK_TRIPLE}-windres)
set(TARVIK_WIDL        ${TARVIK_TRIPLE}-widl)
set(CMAKE_FIND_ROOT_PATH /usr/${TARVIK_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
