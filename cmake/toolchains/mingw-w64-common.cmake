# Shared part of the mingw-w64 toolchain files: MINGW_TRIPLE names the target (set by the file
# that includes this one).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10)

# The -posix flavour of Debian's compilers: std::thread, std::mutex and friends need it.
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} ${SUITE_MINGW_PREFIX})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SUITE_MINGW_PREFIX)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# pkg-config must describe the target's libraries, never the build machine's.
# SUITE_MINGW_PREFIX: where scripts/test-windows installs the libraries it cross-builds.
set(ENV{PKG_CONFIG_LIBDIR} "${SUITE_MINGW_PREFIX}/lib/pkgconfig:/usr/${MINGW_TRIPLE}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime (libgcc, libstdc++, winpthread) is linked into every program and DLL, so that they
# run on a bare Windows (or Wine) without a folder of compiler DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
# The same for zlib (libz-mingw-w64-dev has both): its static archive, not the import library of
# a zlib1.dll that would have to travel with every program.
set(ZLIB_USE_STATIC_LIBS ON)

# CTest runs the cross-built programs through Wine (cmake/wine-run keeps Wine's state in the
# build folder and quiet).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine-run)
