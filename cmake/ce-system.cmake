# The terminal's system for the ce build: import libraries made from the
# terminal's export lists (platform/ce/exports), the header that gives the
# MinGW declarations the terminal's meaning, the project's own small runtime,
# and what the terminal's loader reads in a program's header.
set(SARNU_CE_EXPORTS ${CMAKE_SOURCE_DIR}/platform/ce/exports)
set(SARNU_CE_IMPORT_DIR ${CMAKE_BINARY_DIR}/ce-import)
file(MAKE_DIRECTORY ${SARNU_CE_IMPORT_DIR})

find_package(Python3 REQUIRED COMPONENTS Interpreter)
if(SARNU_CE_FLAVOUR STREQUAL "armv4i")
  # GNU binutils for ARM PE, built once from Debian's binutils-source; a
  # build tree that points at an earlier build's copy does not build it again.
  set(SARNU_CE_BINUTILS ${CMAKE_BINARY_DIR}/binutils CACHE PATH "binutils for arm-mingw32ce")
  set(SARNU_CE_TOOL ${SARNU_CE_BINUTILS}/bin/arm-mingw32ce)
  if(NOT EXISTS ${SARNU_CE_TOOL}-ld)
    message(STATUS "Building binutils for arm-mingw32ce into ${SARNU_CE_BINUTILS}")
  endif()
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/lib/build-ce-binutils.sh ${SARNU_CE_BINUTILS}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "no binutils for arm-mingw32ce (see ${SARNU_CE_BINUTILS}.work)")
  endif()
  set(SARNU_DLLTOOL ${SARNU_CE_TOOL}-dlltool)
  set(SARNU_DLLTOOL_ARGS)
  # The older terminals' coredll lacks what CE 6 and Windows Mobile 6 added.
  set(SARNU_CE_NOT_EXPORTED ${SARNU_CE_EXPORTS}/coredll-ce6-only.txt)
  set(SARNU_CE_OS_VERSION 5.0 CACHE STRING "Windows CE version the programs are built for")
else()
  find_program(SARNU_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
  set(SARNU_DLLTOOL_ARGS -m arm)
  set(SARNU_CE_NOT_EXPORTED)
  set(SARNU_CE_OS_VERSION 7.0 CACHE STRING "Windows CE version the programs are built for")
endif()
set(not_exported)
if(SARNU_CE_NOT_EXPORTED)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SARNU_CE_NOT_EXPORTED})
  file(STRINGS ${SARNU_CE_NOT_EXPORTED} not_exported REGEX "^[^#]")
endif()

# One import library per DLL the programs may use. The lists are data of the
# tree, so the libraries are made when the build is configured.
foreach(dll coredll commctrl aygshell toolhelp)
  set(list ${SARNU_CE_EXPORTS}/${dll}.txt)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list})
  file(STRINGS ${list} names REGEX "^[^#]")
  if(dll STREQUAL "coredll" AND not_exported)
    list(REMOVE_ITEM names ${not_exported})
  endif()
  list(JOIN names "\n" lines)
  file(WRITE ${SARNU_CE_IMPORT_DIR}/${dll}.def "LIBRARY ${dll}.dll\nEXPORTS\n${lines}\n")
  execute_process(COMMAND ${SARNU_DLLTOOL} ${SARNU_DLLTOOL_ARGS} -d ${SARNU_CE_IMPORT_DIR}/${dll}.def
                          -l ${SARNU_CE_IMPORT_DIR}/lib${dll}.a
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "no import library for ${dll}.dll")
  endif()
  add_library(ce_${dll} STATIC IMPORTED GLOBAL)
  set_target_properties(ce_${dll} PROPERTIES IMPORTED_LOCATION ${SARNU_CE_IMPORT_DIR}/lib${dll}.a)
endforeach()

# windres writes a resource file that does not depend on the processor;
# llvm-cvtres (ARMv7) or the ARM PE windres (ARMV4I) makes an ARM object of
# it. (Set here, after the platform's own rule for windres.)
if(SARNU_CE_FLAVOUR STREQUAL "armv4i")
  set(CMAKE_RC_COMPILE_OBJECT
    "<CMAKE_RC_COMPILER> -O res <DEFINES> <INCLUDES> <FLAGS> <SOURCE> <OBJECT>.res"
    "${SARNU_CE_TOOL}-windres -J res -O coff -i <OBJECT>.res -o <OBJECT>")
  # The compiler's checks ran with clang alone; every source of the build
  # goes through clang's assembly, the filter and GNU as.
  foreach(lang C CXX)
    set(CMAKE_${lang}_COMPILE_OBJECT
      "${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/ce-armv4i-cc.py ${SARNU_CE_TOOL}-as -- \
<CMAKE_${lang}_COMPILER> <DEFINES> <INCLUDES> <FLAGS> -o <OBJECT> -c <SOURCE>")
    set(CMAKE_${lang}_ARCHIVE_CREATE "${SARNU_CE_TOOL}-ar qc <TARGET> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_APPEND "${SARNU_CE_TOOL}-ar q <TARGET> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_FINISH "${SARNU_CE_TOOL}-ranlib <TARGET>")
    # Image base 0x10000 for a program, relocations kept for every image;
    # the header's subsystem and versions are stamped after the link.
    set(link "${SARNU_CE_TOOL}-ld --subsystem wince:${SARNU_CE_OS_VERSION} \
--stack 0x10000,0x1000 --heap 0x100000,0x1000 --disable-dynamicbase --disable-nxcompat \
--enable-reloc-section --no-insert-timestamp -s")
    set(CMAKE_${lang}_LINK_EXECUTABLE
      "${link} --image-base 0x10000 <LINK_FLAGS> -o <TARGET> <OBJECTS> --start-group <LINK_LIBRARIES> --end-group")
    set(CMAKE_${lang}_CREATE_SHARED_MODULE
      "${link} --dll --image-base 0x10000000 <LINK_FLAGS> -o <TARGET> <OBJECTS> --start-group <LINK_LIBRARIES> --end-group")
    set(CMAKE_${lang}_CREATE_SHARED_LIBRARY "${CMAKE_${lang}_CREATE_SHARED_MODULE}")
    # The subsystem is --subsystem's; GNU ld knows no -mwindows.
    set(CMAKE_${lang}_CREATE_WIN32_EXE "")
    set(CMAKE_${lang}_CREATE_CONSOLE_EXE "")
  endforeach()
else()
  find_program(SARNU_CVTRES NAMES llvm-cvtres llvm-cvtres-14 REQUIRED)
  set(CMAKE_RC_COMPILE_OBJECT
    "<CMAKE_RC_COMPILER> -O res <DEFINES> <INCLUDES> <FLAGS> <SOURCE> <OBJECT>.res"
    "${SARNU_CVTRES} /machine:arm /out:<OBJECT> <OBJECT>.res")
endif()

# The shell, the common controls and the tool help library (the program in
# front); the rest of the system is coredll.
set(SARNU_GUI_LIBS ce_commctrl ce_aygshell ce_toolhelp)

# Every source of the terminal's programs: Unicode as the terminal's headers
# are, the terminal's header semantics first, warnings as errors. Floating
# point stays in the VFP registers: no call into coredll's soft-float
# library for a square root.
add_compile_definitions(UNICODE _UNICODE)
add_compile_options(-Werror -fno-math-errno
  "SHELL:-include ${CMAKE_SOURCE_DIR}/platform/ce/ce_system.h")
# Without stack probes (ARMV4I has none) a frame over a page can step past a
# thread's guard page; none is allowed in either flavour.
add_compile_options(-Wframe-larger-than=4000 -Werror=frame-larger-than)

# Every ARMv7 terminal has VFPv3 with 16 double registers (D16) and some
# trap a misaligned word access: neither d16-d31 nor such an access may be
# compiled in.
if(NOT SARNU_CE_FLAVOUR STREQUAL "armv4i")
  add_compile_options(-mno-unaligned-access -mfpu=vfpv3-d16)
endif()

# The runtime: the entry points of a program and of a DLL, allocation,
# guards, atexit, 64-bit division and the stack probe.
# The division and atomic helpers differ by flavour: Thumb-2 assembly for
# ARMv7, coredll's division and Interlocked calls for ARMV4I.
if(SARNU_CE_FLAVOUR STREQUAL "armv4i")
  set(arithmetic ${CMAKE_SOURCE_DIR}/platform/ce/arithmetic_armv4i.cpp)
else()
  set(arithmetic ${CMAKE_SOURCE_DIR}/platform/ce/arithmetic.cpp)
endif()
add_library(sarnu_ce_runtime STATIC
  ${CMAKE_SOURCE_DIR}/platform/ce/start_program.cpp
  ${CMAKE_SOURCE_DIR}/platform/ce/start_library.cpp
  ${CMAKE_SOURCE_DIR}/platform/ce/runtime.cpp
  ${arithmetic}
  ${CMAKE_SOURCE_DIR}/platform/ce/divide64.cpp)
target_compile_options(sarnu_ce_runtime PRIVATE -fno-exceptions -fno-rtti)
target_link_libraries(sarnu_ce_runtime PUBLIC ce_coredll)

# What the terminal's loader reads: Windows CE GUI subsystem and the version
# of the system the programs are built for (SARNU_CE_OS_VERSION above; lld
# has no switch for either, GNU ld writes the wrong machine).

# Links a program or the applet against the terminal's system only and
# stamps its header. `entry` is WinMainCRTStartup or DllMainCRTStartup.
function(sarnu_ce_program target entry)
  target_link_libraries(${target} PRIVATE sarnu_ce_runtime ce_coredll)
  if(SARNU_CE_FLAVOUR STREQUAL "armv4i")
    target_link_options(${target} PRIVATE "SHELL:-e ${entry}")
    set(machine armv4i)
  else()
    target_link_options(${target} PRIVATE "LINKER:--entry,${entry}")
    set(machine armv7)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/ce-pe-header.py
            $<TARGET_FILE:${target}> ${SARNU_CE_OS_VERSION} ${machine}
    VERBATIM)
endfunction()
