# Toolchain: 32-bit Windows through mingw-w64 (POSIX-threads variant, so that
# std::thread and std::mutex exist), statically linked so that Veltrano.exe needs
# no MinGW DLLs beside it.
#
# Programs are large-address-aware: on 64-bit Windows a 32-bit process then has
# 4 GB of address space instead of 2 GB, which a reader keeping several large
# folders in memory needs. Nothing here treats a pointer as a signed number.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--large-address-aware")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
