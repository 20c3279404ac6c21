# cmake -DOUT=file.cpp -DPAGE_DLL=... -DUNINSTALLER=... -DVORNEX=... -P PackageDigests.cmake
# Writes the definition of kPackageDigests (installer/PackageDigests.h) from the files given.
function(digest_bytes file out)
  file(SHA256 ${file} hex)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " bytes ${hex})
  set(${out} "{{${bytes}}}" PARENT_SCOPE)
endfunction()
digest_bytes(${PAGE_DLL} page)
digest_bytes(${UNINSTALLER} uninstaller)
digest_bytes(${VORNEX} vornex)
file(WRITE ${OUT}.new "// Made by cmake/PackageDigests.cmake from the files this kivsetup.exe installs.
#include \"PackageDigests.h\"

const tessaline::PackageDigests tessaline::kPackageDigests = {
    ${page},  // Kivrel3.dll
    ${uninstaller},  // kivremove.exe
    ${vornex},  // vornex.dll
};
")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new)
