# Cross-compiling the four programs for the older terminals: Windows CE 5/6
# and Windows Mobile 5/6 on ARM (ARMV4I: ARM code with Thumb interworking,
# soft float, PE machine 0x1C2). LLVM writes no ARM-mode code for Windows,
# so clang compiles for an ELF target with the terminal's calling
# convention and GNU binutils for arm-mingw32ce (built from Debian's
# binutils-source by scripts/lib/build-ce-binutils.sh) assemble and link;
# cmake/ce-system.cmake sets those rules. Nothing of this build runs here.
set(SARNU_CE_FLAVOUR armv4i)
set(SARNU_CE_TARGET armv4t-none-elf)
include(${CMAKE_CURRENT_LIST_DIR}/ce-toolchain.cmake)

# The CE calling convention: APCS with 64-bit values in any register pair,
# MS structure layout, 16-bit wchar_t, signed char, ARM mode, soft float.
# The Windows macros the MinGW headers expect from a Windows compiler, and
# no calling-convention keywords (ARM has one).
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
