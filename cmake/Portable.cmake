# The portable libraries of common/, setup/, installer/ and uninstaller/: plain C++17, no
# <windows.h>. The host tree builds them natively for the host tests; the Windows tree builds
# them again for the shipped files. The page's are in page/portable.

# common/Identity.h: the ids of the COM server, for the code, the resource scripts, the
# type-library generator and the tests.
add_library(tessaline_identity INTERFACE)
target_include_directories(tessaline_identity INTERFACE ${CMAKE_SOURCE_DIR}/common)
add_library(tessaline_vista_decision STATIC ${CMAKE_SOURCE_DIR}/common/VistaDecision.cpp)
target_include_directories(tessaline_vista_decision PUBLIC ${CMAKE_SOURCE_DIR}/common)

add_library(tessaline_ansi_text STATIC ${CMAKE_SOURCE_DIR}/common/AnsiText.cpp)
target_include_directories(tessaline_ansi_text PUBLIC ${CMAKE_SOURCE_DIR}/common)

add_library(setup_portable STATIC ${CMAKE_SOURCE_DIR}/setup/FolderPath.cpp ${CMAKE_SOURCE_DIR}/setup/SetupShared.cpp
            ${CMAKE_SOURCE_DIR}/setup/Sha256.cpp)
target_include_directories(setup_portable PUBLIC ${CMAKE_SOURCE_DIR}/setup)

add_library(installer_portable STATIC ${CMAKE_SOURCE_DIR}/installer/InstallFlow.cpp)
target_include_directories(installer_portable PUBLIC ${CMAKE_SOURCE_DIR}/installer)
target_link_libraries(installer_portable PUBLIC setup_portable tessaline_identity)

add_library(installer_startup STATIC ${CMAKE_SOURCE_DIR}/installer/Startup.cpp ${CMAKE_SOURCE_DIR}/installer/TermsText.cpp)
target_include_directories(installer_startup PUBLIC ${CMAKE_SOURCE_DIR}/installer)

add_library(uninstaller_portable STATIC ${CMAKE_SOURCE_DIR}/uninstaller/UninstallFlow.cpp)
target_include_directories(uninstaller_portable PUBLIC ${CMAKE_SOURCE_DIR}/uninstaller)
target_link_libraries(uninstaller_portable PUBLIC setup_portable)

if(TESSALINE_WINDOWS)
  foreach(t tessaline_vista_decision tessaline_ansi_text setup_portable installer_portable installer_startup
            uninstaller_portable)
    tessaline_lean_code(${t})
  endforeach()
endif()
