# Cross-compiling for 64-bit Windows with Debian's MinGW-w64, POSIX-threads flavour (std::thread
# and std::mutex need it). Used by tools/build-windows.sh; TAVINE_WINDOWS_PREFIX names the folder
# holding the libraries built for Windows (zlib, libpng, libjpeg) and the VST 2 headers.
set (CMAKE_SYSTEM_NAME Windows)
set (CMAKE_SYSTEM_PROCESSOR x86_64)

set (triple x86_64-w64-mingw32)
set (CMAKE_C_COMPILER ${triple}-gcc-posix)
set (CMAKE_CXX_COMPILER ${triple}-g++-posix)
set (CMAKE_RC_COMPILER ${triple}-windres)

# Libraries and headers come from MinGW's own root and our prefix; programs (juceaide, bash) are
# the build machine's. Packages may be found anywhere: Debian's JUCE package lives in the build
# machine's multiarch folder.
set (CMAKE_FIND_ROOT_PATH /usr/${triple} ${TAVINE_WINDOWS_PREFIX})
list (APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVINE_WINDOWS_PREFIX)
set (CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set (CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set (CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set (CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Everything linked in, so the binaries need nothing but Windows' own DLLs.
set (CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set (CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set (CMAKE_MODULE_LINKER_FLAGS_INIT "-static")


# pkg-config reads the libraries built for Windows, never the build machine's.
if (TAVINE_WINDOWS_PREFIX)
    set (ENV{PKG_CONFIG_LIBDIR} "${TAVINE_WINDOWS_PREFIX}/lib/pkgconfig")
    set (ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
