; Tessaline-setup.exe: the product in one file. Without a window of its own it unpacks the
; product files into the package folder kivsetup reads, %TEMP%\kvz31, and kivsetup.exe
; into a private folder of its own, runs kivsetup and waits for it, and removes both folders
; whatever kivsetup did.
;
;   makensis -DKIVSETUP=file -DKIVREL3=file -DKIVREMOVE=file -DVORNEX=file -DOUTFILE=file
;            Tessaline-setup.nsi
;
; The version resource takes kivsetup's values from where kivsetup's own resource takes
; them. makensis works in this script's folder.

!searchparse /file ../../common/Identity.h "#define TESSALINE_SETUP_VERSION " V1 ", " V2 ", " V3 ", " V4
!searchparse /file ../../common/Identity.h '#define TESSALINE_SETUP_VERSION_TEXT "' VERSION_TEXT '"'
!searchparse /file ../kivsetup.rc 'VALUE "CompanyName", "' COMPANY '"'
!searchparse /file ../kivsetup.rc 'VALUE "FileDescription", "' DESCRIPTION '"'

; Unicode: the Temp folder's name as Windows holds it, as kivsetup reads it too, whatever
; the ANSI code page can carry.
Unicode true
SetCompressor /SOLID lzma
; Unpacked files get the time of unpacking: the package's bytes depend on its inputs'
; bytes only.
SetDateSave off
CRCCheck on

Name "Tessaline"
; The title of the package's own messages, as of kivsetup's.
Caption "Tessaline Installation"
OutFile "${OUTFILE}"
Icon "../art/kivsetup.ico"
SilentInstall silent
; No trustInfo in the manifest: NT4 and 2000 read no manifest and XP does nothing with it;
; Vista and later, which kivsetup refuses, ask for an administrator's rights for a program
; named setup anyway.
RequestExecutionLevel none

; kivsetup's resource has no LegalCopyright either.
!pragma warning disable 9100
VIProductVersion "${V1}.${V2}.${V3}.${V4}"
VIFileVersion "${V1}.${V2}.${V3}.${V4}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${DESCRIPTION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=1033 "InternalName" "Tessaline-setup"
VIAddVersionKey /LANG=1033 "OriginalFilename" "Tessaline-setup.exe"

!define PACKAGE "$TEMP\kvz31"

Section
  ClearErrors
  InitPluginsDir
  ; A kvz31 may be there already, with files of someone else's (a hidden one, which Windows
  ; will not overwrite with a plain file): kivsetup gets this package's files and no others.
  Delete "${PACKAGE}"
  RMDir /r "${PACKAGE}"
  SetOutPath "${PACKAGE}"
  File "/oname=Kivrel3.dll" "${KIVREL3}"
  File "/oname=kivremove.exe" "${KIVREMOVE}"
  File "/oname=vornex.dll" "${VORNEX}"
  SetOutPath "$PLUGINSDIR"
  File "/oname=kivsetup.exe" "${KIVSETUP}"
  IfErrors unpacked_not
  ExecWait '"$PLUGINSDIR\kivsetup.exe"' $0
  IfErrors unpacked_not
  ; kivsetup's exit code is the package's.
  SetErrorLevel $0
  Goto done
unpacked_not:
  MessageBox MB_OK|MB_ICONINFORMATION "Tessaline could not be unpacked into the TEMP folder. Install failed."
  SetErrorLevel 1
done:
  ; Out of the private folder, which NSIS removes at the end.
  SetOutPath "$TEMP"
  RMDir /r "${PACKAGE}"
SectionEnd
