# Sarnu.ARMV7.CAB or Sarnu.ARMV4I.CAB: the four programs as the terminal's
# own installer (wceload) takes them, packed by cmake/ce-cab.py with
# Debian's gcab. The programs go
# to \Windows (%CE2%), where the control panel also finds the applet; the
# example SARNU.INI goes to the newer of the wedge's two settings folders,
# and only where no SARNU.INI is yet. No start-up shortcut: the settings
# program's Common page keeps deciding that. Called once every program is
# defined.
find_program(SARNU_GCAB gcab REQUIRED)

function(sarnu_ce_package)
  set(list ${CMAKE_BINARY_DIR}/Sarnu.cab.list)
  # Processor 2577 is what the terminal's SYSTEM_INFO says for any ARM, so
  # the system's version tells the generations apart: the ARMv7 package
  # wants 7.0 or later, the ARMV4I one 5.0 to 6.99 (Windows Mobile 6.5 is
  # 5.2), and the installer refuses either on the other generation.
  if(SARNU_CE_FLAVOUR STREQUAL "armv4i")
    set(cab ${CMAKE_BINARY_DIR}/Sarnu.ARMV4I.CAB)
    set(newest 6.99)
  else()
    set(cab ${CMAKE_BINARY_DIR}/Sarnu.ARMV7.CAB)
    set(newest 0.0)
  endif()
  get_filename_component(cab_name ${cab} NAME)
  file(GENERATE OUTPUT ${list} CONTENT "\
app        | Sarnu
provider   | Sarnu
processor  | 2577
system     | ${SARNU_CE_OS_VERSION} | ${newest}
installdir | %CE2%
file | 000Sarnu.001 | %CE2% | Sarnu.exe         | replace | $<TARGET_FILE:Sarnu>
file | SARNUS~1.002 | %CE2% | SarnuSettings.exe | replace | $<TARGET_FILE:SarnuSettings>
file | SARNUS~2.003 | %CE2% | SarnuSettings.cpl | replace | $<TARGET_FILE:SarnuCpl>
file | SARNUB~1.004 | %CE2% | SarnuBulk.exe     | replace | $<TARGET_FILE:SarnuBulk>
file | 000SARNU.005 | \\Documents and Settings\\System Settings | SARNU.INI | keep | \
${CMAKE_SOURCE_DIR}/examples/SARNU.INI
")
  add_custom_command(OUTPUT ${cab}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/ce-cab.py --gcab ${SARNU_GCAB} ${list} ${cab}
    DEPENDS ${list} ${CMAKE_SOURCE_DIR}/cmake/ce-cab.py ${CMAKE_SOURCE_DIR}/examples/SARNU.INI
            Sarnu SarnuSettings SarnuCpl SarnuBulk
    COMMENT "Packing ${cab_name}"
    VERBATIM)
  add_custom_target(sarnu_cab ALL DEPENDS ${cab})
endfunction()
