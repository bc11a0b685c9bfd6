; The stepdrive installer for 64-bit Windows. makensis is given VERSION,
; SOURCE (the source tree), TRANSLATIONS (Qt's .qm files), STEPDRIVE,
; STEPDRIVE_CLI, STEPDRIVE_SIM (the programs) and OUTFILE; the build's
; target `setup` gives them.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\stepdrive"

Name "stepdrive ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\stepdrive"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File "${STEPDRIVE}"
  File "${STEPDRIVE_CLI}"
  File "${STEPDRIVE_SIM}"
  File "${SOURCE}\packaging\windows\qt.conf"
  File "/oname=LICENSE.txt" "${SOURCE}\LICENSE"
  File "/oname=README.txt" "${SOURCE}\README.md"
  SetOutPath "$INSTDIR\translations"
  File "${TRANSLATIONS}\qtbase_ko.qm"
  SetOutPath "$INSTDIR"

  CreateDirectory "$SMPROGRAMS\stepdrive"
  CreateShortcut "$SMPROGRAMS\stepdrive\stepdrive.lnk" "$INSTDIR\stepdrive.exe"
  CreateShortcut "$SMPROGRAMS\stepdrive\stepdrive — simulator.lnk" "$INSTDIR\stepdrive.exe" \
    "--simulator"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${KEY}" "DisplayName" "stepdrive"
  WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\stepdrive.exe"
  WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
SectionEnd

; What the installer put there, one by one: a folder chosen for it keeps
; anything else it holds.
Section "Uninstall"
  Delete "$SMPROGRAMS\stepdrive\stepdrive.lnk"
  Delete "$SMPROGRAMS\stepdrive\stepdrive — simulator.lnk"
  RMDir "$SMPROGRAMS\stepdrive"

  Delete "$INSTDIR\translations\qtbase_ko.qm"
  RMDir "$INSTDIR\translations"
  Delete "$INSTDIR\stepdrive.exe"
  Delete "$INSTDIR\stepdrive-cli.exe"
  Delete "$INSTDIR\stepdrive-sim.exe"
  Delete "$INSTDIR\qt.conf"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${KEY}"
  ; The settings the program kept: the port connected last, its speed, the
  ; folders last chosen.
  DeleteRegKey HKCU "Software\stepdrive"
SectionEnd
