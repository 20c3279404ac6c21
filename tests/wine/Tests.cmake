# The Windows test programs, run under Wine by the host tree (ctest). Each runs in the one
# prefix the rig makes per run, or, where it writes the registry or the System folder, in
# a copy of its own (FRESH_PREFIX), with a display of its own: another wineserver's windows
# on the same display would take the X input focus from it.
add_test(NAME wine_rig_setup   COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/rig.sh setup   ${CMAKE_BINARY_DIR}/wine-rig)
add_test(NAME wine_rig_cleanup COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/rig.sh cleanup ${CMAKE_BINARY_DIR}/wine-rig)
set_tests_properties(wine_rig_setup   PROPERTIES FIXTURES_SETUP   wine_rig TIMEOUT 180)
set_tests_properties(wine_rig_cleanup PROPERTIES FIXTURES_CLEANUP wine_rig)

#   tessaline_wine_test(NAME name PROGRAM path-in-the-Windows-tree [FRESH_PREFIX [DPI n]] [ARGS ...] [TIMEOUT s])
function(tessaline_wine_test)
  cmake_parse_arguments(T "FRESH_PREFIX" "NAME;PROGRAM;TIMEOUT;DPI" "ARGS" ${ARGN})
  set(opts)
  if(T_FRESH_PREFIX)
    list(APPEND opts --fresh-prefix ${T_NAME})
    if(T_DPI)
      list(APPEND opts --dpi ${T_DPI})
    endif()
    list(APPEND opts --own-display)
  endif()
  add_test(NAME ${T_NAME}
           COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/rig.sh run ${CMAKE_BINARY_DIR}/wine-rig ${opts} --
                   ${TESSALINE_WIN_BINARY_DIR}/${T_PROGRAM} ${T_ARGS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED wine_rig TIMEOUT ${T_TIMEOUT} LABELS wine)
endfunction()

# The shipped COM server, inert under Wine.
tessaline_wine_test(NAME wine_shipped_dll PROGRAM tests/wine/com/shipped_dll_tests.exe FRESH_PREFIX)

# On each target's facts: the page; the installer and the uninstaller, and the whole product installed through its
# window and used through the shell.
foreach(t ${TESSALINE_TARGETS})
  tessaline_wine_test(NAME wine_streams_page_${t} PROGRAM tests/wine/${t}/page_tests.exe)
  tessaline_wine_test(NAME wine_installer_${t} PROGRAM tests/wine/${t}/installer_tests.exe FRESH_PREFIX TIMEOUT 600)
endforeach()
# F1 at 120 DPI as well.
tessaline_wine_test(NAME wine_installer_window_120dpi PROGRAM tests/wine/xp/installer_tests.exe FRESH_PREFIX DPI 120
                    ARGS --gtest_filter=F1Window.*)
