# Cross-compiles the 32-bit Windows program with MinGW-w64. The -posix
# compiler gives std::mutex and std::thread, which GoogleTest needs; the
# shipped program is compiled and linked by the -win32 compiler, with its
# runtime (see shipped_program.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(MENSURATOR_WIN32_THREADS_CXX i686-w64-mingw32-g++-win32)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# SSE2 arithmetic gives the same doubles as the native build; the x87 default
# rounds intermediates differently. Static linking leaves only system DLLs;
# the linker drops what nothing refers to.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--gc-sections")

# Reproducible builds: the same sources give the same program wherever they
# and the build folder lie, and whenever it is linked. Compiled-in paths
# (__FILE__, debug information) are relative to the source folder, and the
# PE header carries no link time.
string(APPEND CMAKE_C_FLAGS_INIT " -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=")
string(APPEND CMAKE_CXX_FLAGS_INIT " -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=")
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--no-insert-timestamp")
