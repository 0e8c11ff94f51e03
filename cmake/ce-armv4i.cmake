# Cross-compiling the four programs for the older terminals: Windows CE 5/6
# and Windows Mobile 5/6 on ARM (ARMV4I: ARM code with Thumb interworking,
# soft float, PE machine 0x1C2). LLVM writes no ARM-mode code for Windows,
# so clang compiles for an ELF target with the terminal's calling
# convention and GNU binutils for arm-mingw32ce (built from Debian's
# binutils-source by scripts/lib/build-ce-binutils.sh) assemble and link;
# cmake/ce-system.cmake sets those rules. Nothing of this build runs here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(SARNU_CE ON)
set(SARNU_CE_FLAVOUR armv4i)

set(SARNU_CE_TARGET armv4t-none-elf)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${SARNU_CE_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${SARNU_CE_TARGET})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR llvm-ar)
set(CMAKE_RANLIB llvm-ranlib)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# The CE calling convention: APCS with 64-bit values in any register pair,
# MS structure layout, 16-bit wchar_t, signed char, ARM mode, soft float.
# The Windows macros the MinGW headers expect from a Windows compiler, and
# no calling-convention keywords (ARM has one).
set(SARNU_CE_GCC_INCLUDE /usr/lib/gcc/i686-w64-mingw32/12-posix/include/c++)
set(SARNU_CE_FLAGS "-mabi=apcs-gnu -mms-bitfields -marm -mfloat-abi=soft -fshort-wchar \
-fsigned-char -fms-extensions -fno-unwind-tables -fno-asynchronous-unwind-tables -fno-addrsig \
-fno-common -fno-use-cxa-atexit -fnew-alignment=8 -nostdlibinc \
-D_WIN32 -DWIN32 -D__WIN32__ -D__MINGW32__ -D__MSVCRT__ -D_ARM_ -DARM -DWINNT \
-D__cdecl= -D__stdcall= -D__fastcall= -D__thiscall= -D__pascal= \
\"-D__declspec(x)=__attribute__((x))\" -Wno-unknown-attributes -Wno-ignored-attributes")
set(CMAKE_C_FLAGS_INIT "${SARNU_CE_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${SARNU_CE_FLAGS}")

execute_process(COMMAND clang -print-resource-dir OUTPUT_VARIABLE SARNU_CLANG_RESOURCE
                OUTPUT_STRIP_TRAILING_WHITESPACE)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${SARNU_CLANG_RESOURCE}/include
  ${SARNU_CE_GCC_INCLUDE} ${SARNU_CE_GCC_INCLUDE}/i686-w64-mingw32 /usr/share/mingw-w64/include)
set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES ${SARNU_CLANG_RESOURCE}/include
  /usr/share/mingw-w64/include)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "no desktop libraries")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "no desktop libraries")
