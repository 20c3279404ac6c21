# The Windows test programs, run under Wine by the host tree (ctest). The rig makes one
# prefix per run; each program runs in a copy of it with an Xvfb of its own, so that no
# other program's windows, focus or pointer meet its clicks and keys, and whatever it
# writes to the registry or the System folder is its own.
add_test(NAME wine_rig_setup   COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/rig.sh setup   ${CMAKE_BINARY_DIR}/wine-rig)
add_test(NAME wine_rig_cleanup COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/rig.sh cleanup ${CMAKE_BINARY_DIR}/wine-rig)
set_tests_properties(wine_rig_setup   PROPERTIES FIXTURES_SETUP   wine_rig TIMEOUT 180)
set_tests_properties(wine_rig_cleanup PROPERTIES FIXTURES_CLEANUP wine_rig)

#   tessaline_wine_test(NAME name PROGRAM path-in-the-Windows-tree [DPI n] [ARGS ...] [TIMEOUT s])
function(tessaline_wine_test)
  cmake_parse_arguments(T "" "NAME;PROGRAM;TIMEOUT;DPI" "ARGS" ${ARGN})
  set(opts --fresh-prefix ${T_NAME})
  if(T_DPI)
    list(APPEND opts --dpi ${T_DPI})
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
tessaline_wine_test(NAME wine_shipped_dll PROGRAM tests/wine/com/shipped_dll_tests.exe)

# On each target's facts: the page; the installer and the uninstaller, and the whole product installed through its
# window and used through the shell.
foreach(t ${TESSALINE_TEST_TARGETS})
  tessaline_wine_test(NAME wine_streams_page_${t} PROGRAM tests/wine/${t}/page_tests.exe)
  tessaline_wine_test(NAME wine_installer_${t} PROGRAM tests/wine/${t}/installer_tests.exe TIMEOUT 600)
endforeach()
# F1 at 120 DPI as well.
tessaline_wine_test(NAME wine_installer_window_120dpi PROGRAM tests/wine/xp/installer_tests.exe DPI 120
                    ARGS --gtest_filter=F1Window.*)
