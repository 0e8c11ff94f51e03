# What both terminal flavours' toolchain files share: clang for the target
# each names in SARNU_CE_TARGET, the desktop's windres for the resources,
# the terminal's headers and libraries only, and no desktop library.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(SARNU_CE ON)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${SARNU_CE_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${SARNU_CE_TARGET})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR llvm-ar)
set(CMAKE_RANLIB llvm-ranlib)

# No C library or start-up code of a desktop toolchain exists for these
# targets, so CMake's trial programs stop at the object.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# The i686 MinGW C++ headers: the same 32-bit layout and 16-bit wchar_t.
set(SARNU_CE_GCC_INCLUDE /usr/lib/gcc/i686-w64-mingw32/12-posix/include/c++)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The desktop's DLLs are never linked: every program names the terminal's.
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "no desktop libraries")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "no desktop libraries")
