# The Windows tree's settings, and the two functions that build the shipped programs over
# chosen platform facts.

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

# GoogleTest for the Windows test programs, from Debian's sources.
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

# Platform facts that Wine cannot give as a target Windows does (the stream information, the
# system DLLs' versions, a target's call rules, XP's path limit) are answered in test builds
# by stand-ins in the import slots the shipped code calls through; the volume's file-system
# name by a unit of its own. Each stand-in is an OBJECT library: its object is linked whole,
# wherever it stands on the link line. The shipped files take none.

# Resource scripts of the shipped files; a test program that hosts a window of theirs
# links the same script.
set(TESSALINE_KIVREL3_RC ${CMAKE_SOURCE_DIR}/page/Kivrel3.rc)
set(TESSALINE_STREAMS_PAGE_RC ${CMAKE_SOURCE_DIR}/page/StreamsPage.rc)
set(TESSALINE_KIVSETUP_RC ${CMAKE_SOURCE_DIR}/installer/kivsetup.rc)
set(TESSALINE_TYPELIB_DIR ${CMAKE_BINARY_DIR}/page/typelib)  # written by page/typelib
set(TESSALINE_TYPELIBS ${TESSALINE_TYPELIB_DIR}/Tessaline3.tlb ${TESSALINE_TYPELIB_DIR}/ShellTypes.tlb)

# kivrel3_dll(target [stand-ins...]): Kivrel3.dll, with the given platform stand-ins linked in.
function(kivrel3_dll target)
  add_library(${target} SHARED ${CMAKE_SOURCE_DIR}/page/DllMain.cpp ${CMAKE_SOURCE_DIR}/page/Kivrel3.def
              ${TESSALINE_KIVREL3_RC} $<TARGET_OBJECTS:tessaline_small_runtime>)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME Kivrel3)
  target_link_libraries(${target} PRIVATE kivrel3_core tessaline_vista ${ARGN})
  target_link_options(${target} PRIVATE -Wl,--kill-at -Wl,--enable-stdcall-fixup -s)
  # The script takes the type libraries in; it is compiled again when they change.
  add_dependencies(${target} kivrel3_typelibs)
  target_include_directories(${target} PRIVATE ${TESSALINE_TYPELIB_DIR})
  set_property(SOURCE ${TESSALINE_KIVREL3_RC} APPEND PROPERTY OBJECT_DEPENDS ${TESSALINE_TYPELIBS})
endfunction()

# kivsetup_program(target volume_query page_dll uninstaller [stand-ins...]): kivsetup.exe over
# the given volume query, with the given platform stand-ins linked in, installing the given
# builds of Kivrel3.dll and kivremove.exe (targets) and vornex.dll: it carries their SHA-256.
function(kivsetup_program target volume_query page_dll uninstaller)
  set(digests ${CMAKE_CURRENT_BINARY_DIR}/${target}_digests.cpp)
  add_custom_command(OUTPUT ${digests}
    COMMAND ${CMAKE_COMMAND} -DOUT=${digests} -DPAGE_DLL=$<TARGET_FILE:${page_dll}>
            -DUNINSTALLER=$<TARGET_FILE:${uninstaller}> -DVORNEX=$<TARGET_FILE:vornex>
            -P ${CMAKE_SOURCE_DIR}/cmake/PackageDigests.cmake
    DEPENDS ${page_dll} ${uninstaller} vornex ${CMAKE_SOURCE_DIR}/cmake/PackageDigests.cmake
    COMMENT "SHA-256 of the files ${target} installs")
  add_executable(${target} WIN32 ${CMAKE_SOURCE_DIR}/installer/kivsetup.cpp ${TESSALINE_KIVSETUP_RC} ${digests}
                 $<TARGET_OBJECTS:tessaline_small_runtime>)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/installer)  # the script's pictures
  target_link_libraries(${target} PRIVATE kivsetup_window kivsetup_core ${volume_query} tessaline_vista ${ARGN})
  target_link_options(${target} PRIVATE -s)
  set_property(SOURCE ${TESSALINE_KIVSETUP_RC} APPEND PROPERTY OBJECT_DEPENDS
               ${CMAKE_SOURCE_DIR}/installer/art/kivsetup.ico ${CMAKE_SOURCE_DIR}/installer/art/banner.gif
               ${CMAKE_SOURCE_DIR}/installer/InstallerResources.h)
  tessaline_lean_code(${target})
endfunction()

# kivremove_program(target [stand-ins...]): kivremove.exe, with the given platform stand-ins
# linked in.
function(kivremove_program target)
  add_executable(${target} WIN32 ${CMAKE_SOURCE_DIR}/uninstaller/ModInstaller.cpp
                 ${CMAKE_SOURCE_DIR}/uninstaller/kivremove.rc
                 $<TARGET_OBJECTS:tessaline_small_runtime>)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/installer)  # the installer's icon
  target_link_libraries(${target} PRIVATE uninstaller_portable modshinstall setup_volume_query tessaline_identity
                        ${ARGN})
  target_link_options(${target} PRIVATE -s)
  set_property(SOURCE ${CMAKE_SOURCE_DIR}/uninstaller/kivremove.rc APPEND PROPERTY OBJECT_DEPENDS
               ${CMAKE_SOURCE_DIR}/installer/art/kivsetup.ico)
  tessaline_lean_code(${target})
endfunction()

# tessaline_package(target output kivsetup kivrel3 kivremove): a one-file package at `output`,
# made by makensis from the package's script over those programs' files and vornex.dll.
function(tessaline_package target output kivsetup kivrel3 kivremove)
  find_program(MAKENSIS makensis REQUIRED)
  set(script ${CMAKE_SOURCE_DIR}/installer/package/Tessaline-setup.nsi)
  add_custom_command(OUTPUT ${output}
    COMMAND ${MAKENSIS} -V1 -WX -DKIVSETUP=$<TARGET_FILE:${kivsetup}> -DKIVREL3=$<TARGET_FILE:${kivrel3}>
            -DKIVREMOVE=$<TARGET_FILE:${kivremove}> -DVORNEX=$<TARGET_FILE:vornex> -DOUTFILE=${output} ${script}
    DEPENDS ${script} ${kivsetup} ${kivrel3} ${kivremove} vornex ${CMAKE_SOURCE_DIR}/common/Identity.h
            ${TESSALINE_KIVSETUP_RC} ${CMAKE_SOURCE_DIR}/installer/art/kivsetup.ico
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
