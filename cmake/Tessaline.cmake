# Shared settings of both builds.

# Where the host build keeps the Windows build, and so where the Wine tests find their programs.
set(TESSALINE_WIN_BINARY_DIR ${CMAKE_BINARY_DIR}/windows CACHE PATH "Windows build tree driven by the host build")

if(TESSALINE_WINDOWS)
  # Size matters for the DLL Explorer loads into every Properties dialog.
  add_compile_options(-Wall -Wextra -ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections)
  if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE MinSizeRel)
  endif()

  # For the code of the shipped files (see the header for why).
  function(tessaline_lean_code target)
    target_compile_options(${target} PRIVATE -include ${CMAKE_SOURCE_DIR}/cmake/local-string-instances.h)
  endfunction()

  # GoogleTest for the Windows-side test programs, from Debian's sources.
  function(tessaline_use_gtest)
    if(NOT TARGET gtest)
      set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
      add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
      # mingw's win32 thread model has no std::mutex: gtest gets an event-based Notification.
      target_compile_definitions(gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
      target_compile_options(gtest PUBLIC -include ${CMAKE_SOURCE_DIR}/cmake/gtest-mingw/gtest_notification.h)
    endif()
  endfunction()
else()
  add_compile_options(-Wall -Wextra)
endif()

# Register a Windows-side test program (built in the Windows tree at the same relative
# folder) as a host ctest test that runs under Wine through the rig.
#   tessaline_wine_test(NAME name EXE prog.exe [FRESH_PREFIX] [ARGS ...] [TIMEOUT s])
function(tessaline_wine_test)
  if(TESSALINE_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(T "FRESH_PREFIX" "NAME;EXE;TIMEOUT" "ARGS" ${ARGN})
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(exe ${TESSALINE_WIN_BINARY_DIR}/${rel}/${T_EXE})
  set(opts)
  if(T_FRESH_PREFIX)
    list(APPEND opts --fresh-prefix ${T_NAME})
  endif()
  add_test(NAME ${T_NAME}
           COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/rig.sh run ${CMAKE_BINARY_DIR}/wine-rig ${opts} -- ${exe} ${T_ARGS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    FIXTURES_REQUIRED wine_rig
    TIMEOUT ${T_TIMEOUT}
    LABELS wine)
endfunction()
