# Cross-compiling the four programs for the terminal itself: Windows CE on
# 32-bit ARM (Thumb-2), with Debian's clang and lld. The MinGW-w64 headers
# give the Win32 declarations, platform/ce/ce_system.h (put in front of
# every source) gives them the terminal's meaning, and the programs link
# against import libraries made from the terminal's export lists, never
# against a desktop library. Nothing of this build runs here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(SARNU_CE ON)

set(SARNU_CE_TARGET armv7-w64-windows-gnu)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${SARNU_CE_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${SARNU_CE_TARGET})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR llvm-ar)
set(CMAKE_RANLIB llvm-ranlib)

# No C library or start-up code of a desktop toolchain exists for this
# target, so CMake's trial programs stop at the object.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# The i686 MinGW C++ headers: the same 32-bit layout and 16-bit wchar_t.
set(SARNU_CE_GCC_INCLUDE /usr/lib/gcc/i686-w64-mingw32/12-posix/include/c++)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
  ${SARNU_CE_GCC_INCLUDE} ${SARNU_CE_GCC_INCLUDE}/i686-w64-mingw32 /usr/share/mingw-w64/include)
set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES /usr/share/mingw-w64/include)

# Stack probes are the project's own (__chkstk in platform/ce); the runtime
# is linked by hand, so the driver adds no start files or libraries.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib -nostartfiles")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib -nostartfiles")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib -nostartfiles")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The desktop's DLLs are never linked: every program names the terminal's.
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "no desktop libraries")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "no desktop libraries")
