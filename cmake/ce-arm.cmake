# Cross-compiling the four programs for the terminal itself: Windows CE on
# 32-bit ARM (Thumb-2), with Debian's clang and lld. The MinGW-w64 headers
# give the Win32 declarations, platform/ce/ce_system.h (put in front of
# every source) gives them the terminal's meaning, and the programs link
# against import libraries made from the terminal's export lists, never
# against a desktop library. Nothing of this build runs here.
set(SARNU_CE_TARGET armv7-w64-windows-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/ce-toolchain.cmake)

set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
  ${SARNU_CE_GCC_INCLUDE} ${SARNU_CE_GCC_INCLUDE}/i686-w64-mingw32 /usr/share/mingw-w64/include)
set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES /usr/share/mingw-w64/include)

# Stack probes are the project's own (__chkstk in platform/ce); the runtime
# is linked by hand, so the driver adds no start files or libraries.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib -nostartfiles")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib -nostartfiles")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib -nostartfiles")
