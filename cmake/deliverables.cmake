# The four shipped programs: what `cmake --install` lays out (the terminal's
# "\Windows" folder, and beside it the example settings file for the site to
# adapt), one target that builds them all, the check of the install, and in
# the terminal's build the package its installer takes.
install(TARGETS Sarnu SarnuBulk RUNTIME DESTINATION Windows)
install(TARGETS SarnuCpl LIBRARY DESTINATION Windows)
install(FILES examples/SARNU.INI DESTINATION .)
if(SARNU_CE)
  include(cmake/ce-package.cmake)
endif()

# The settings program may be defined in a folder read after this one, so
# what depends on it waits until the whole tree is read.
function(sarnu_deliverables)
  set(programs Sarnu SarnuCpl SarnuBulk)
  set(files Windows/Sarnu.exe Windows/SarnuSettings.cpl Windows/SarnuBulk.exe SARNU.INI)
  if(TARGET SarnuSettings)
    install(TARGETS SarnuSettings RUNTIME DESTINATION Windows)
    list(APPEND programs SarnuSettings)
    list(APPEND files Windows/SarnuSettings.exe)
  endif()
  add_custom_target(sarnu_programs)
  add_dependencies(sarnu_programs ${programs})
  # What the install must hold and the only DLLs its programs may import,
  # for tests/install/check_install.sh.
  list(JOIN files "\n" lines)
  file(WRITE ${CMAKE_BINARY_DIR}/shipped_files.txt "${lines}\n")
  if(SARNU_CE)
    set(dlls coredll.dll commctrl.dll aygshell.dll toolhelp.dll)
    sarnu_ce_package()
  else()
    set(dlls kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll msvcrt.dll
      ole32.dll)
  endif()
  list(JOIN dlls "\n" lines)
  file(WRITE ${CMAKE_BINARY_DIR}/shipped_dlls.txt "${lines}\n")
  if(SARNU_TESTS)
    add_test(NAME install_tree COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/check_install.sh
      ${CMAKE_BINARY_DIR} ${CMAKE_OBJDUMP})
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL sarnu_deliverables)
