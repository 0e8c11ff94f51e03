# The terminal's system for the ce build: import libraries made from the
# terminal's export lists (platform/ce/exports), the header that gives the
# MinGW declarations the terminal's meaning, the project's own small runtime,
# and what the terminal's loader reads in a program's header.
set(SARNU_CE_EXPORTS ${CMAKE_SOURCE_DIR}/platform/ce/exports)
set(SARNU_CE_IMPORT_DIR ${CMAKE_BINARY_DIR}/ce-import)
file(MAKE_DIRECTORY ${SARNU_CE_IMPORT_DIR})

find_program(SARNU_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# One import library per DLL the programs may use. The lists are data of the
# tree, so the libraries are made when the build is configured.
foreach(dll coredll commctrl aygshell toolhelp)
  set(list ${SARNU_CE_EXPORTS}/${dll}.txt)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list})
  file(STRINGS ${list} names REGEX "^[^#]")
  list(JOIN names "\n" lines)
  file(WRITE ${SARNU_CE_IMPORT_DIR}/${dll}.def "LIBRARY ${dll}.dll\nEXPORTS\n${lines}\n")
  execute_process(COMMAND ${SARNU_DLLTOOL} -m arm -d ${SARNU_CE_IMPORT_DIR}/${dll}.def
                          -l ${SARNU_CE_IMPORT_DIR}/lib${dll}.a
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "no import library for ${dll}.dll")
  endif()
  add_library(ce_${dll} STATIC IMPORTED GLOBAL)
  set_target_properties(ce_${dll} PROPERTIES IMPORTED_LOCATION ${SARNU_CE_IMPORT_DIR}/lib${dll}.a)
endforeach()

# windres writes a resource file that does not depend on the processor;
# llvm-cvtres makes an ARM object of it. (Set here, after the platform's own
# rule for windres.)
find_program(SARNU_CVTRES NAMES llvm-cvtres llvm-cvtres-14 REQUIRED)
set(CMAKE_RC_COMPILE_OBJECT
  "<CMAKE_RC_COMPILER> -O res <DEFINES> <INCLUDES> <FLAGS> <SOURCE> <OBJECT>.res"
  "${SARNU_CVTRES} /machine:arm /out:<OBJECT> <OBJECT>.res")

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

# The runtime: the entry points of a program and of a DLL, allocation,
# guards, atexit, 64-bit division and the stack probe.
add_library(sarnu_ce_runtime STATIC
  ${CMAKE_SOURCE_DIR}/platform/ce/start_program.cpp
  ${CMAKE_SOURCE_DIR}/platform/ce/start_library.cpp
  ${CMAKE_SOURCE_DIR}/platform/ce/runtime.cpp
  ${CMAKE_SOURCE_DIR}/platform/ce/arithmetic.cpp
  ${CMAKE_SOURCE_DIR}/platform/ce/divide64.cpp)
target_compile_options(sarnu_ce_runtime PRIVATE -fno-exceptions -fno-rtti)
target_link_libraries(sarnu_ce_runtime PUBLIC ce_coredll)

# What the terminal's loader reads: Windows CE GUI subsystem and the version
# of the system the programs are built for (lld has no switch for either).
set(SARNU_CE_OS_VERSION 7.0 CACHE STRING "Windows CE version the programs are built for")

# Links a program or the applet against the terminal's system only and
# stamps its header. `entry` is WinMainCRTStartup or DllMainCRTStartup.
function(sarnu_ce_program target entry)
  target_link_libraries(${target} PRIVATE sarnu_ce_runtime ce_coredll)
  target_link_options(${target} PRIVATE "LINKER:--entry,${entry}")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/ce-pe-header.py
            $<TARGET_FILE:${target}> ${SARNU_CE_OS_VERSION}
    VERBATIM)
endfunction()
