; The Windows installer: the programs under Program Files, a Start menu
; entry, .Kzx and .kzxa opening the window, and an uninstaller listed among
; the installed programs. makensis -DVERSION=... -DDEPLOY=... -DOUTFILE=...
; A 64-bit installer for 64-bit programs (it runs where a 32-bit one
; would need the 32-bit subsystem).
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "T-880 programming software"
!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\t880"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\t880"
InstallDirRegKey HKLM "${KEY}" "InstallLocation"
RequestExecutionLevel admin
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=1033 "LegalCopyright" "T-880 maintainers"

!include "MUI2.nsh"
!define MUI_FINISHPAGE_RUN "$INSTDIR\t880-gui.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "TradChinese"

; A file type that opens in the window: extension, kind, description.
!macro FileType EXT KIND DESCRIPTION
    WriteRegStr HKLM "Software\Classes\${EXT}" "" "${KIND}"
    WriteRegStr HKLM "Software\Classes\${KIND}" "" "${DESCRIPTION}"
    WriteRegStr HKLM "Software\Classes\${KIND}\DefaultIcon" "" "$INSTDIR\t880-gui.exe,0"
    WriteRegStr HKLM "Software\Classes\${KIND}\shell\open\command" "" '"$INSTDIR\t880-gui.exe" "%1"'
!macroend

Section
    SetShellVarContext all
    SetRegView 64
    SetOutPath "$INSTDIR"
    File /r "${DEPLOY}\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\t880-gui.exe"
    !insertmacro FileType ".Kzx" "t880.Codeplug" "T-880 codeplug"
    !insertmacro FileType ".kzxa" "t880.Calibration" "T-880 calibration record"
    WriteRegStr HKLM "${KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${KEY}" "Publisher" "T-880 maintainers"
    WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\t880-gui.exe"
    WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegDWORD HKLM "${KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
    ; The desktop learns of the new file types.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    SetRegView 64
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    ; Only what the installer put there: a user's files in the folder stay.
    Delete "$INSTDIR\t880.exe"
    Delete "$INSTDIR\t880-gui.exe"
    Delete "$INSTDIR\*.dll"
    Delete "$INSTDIR\qt.conf"
    Delete "$INSTDIR\copyright.txt"
    RMDir /r "$INSTDIR\platforms"
    RMDir /r "$INSTDIR\styles"
    RMDir /r "$INSTDIR\imageformats"
    RMDir /r "$INSTDIR\translations"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    ReadRegStr $0 HKLM "Software\Classes\.Kzx" ""
    StrCmp $0 "t880.Codeplug" 0 +2
    DeleteRegKey HKLM "Software\Classes\.Kzx"
    ReadRegStr $0 HKLM "Software\Classes\.kzxa" ""
    StrCmp $0 "t880.Calibration" 0 +2
    DeleteRegKey HKLM "Software\Classes\.kzxa"
    DeleteRegKey HKLM "Software\Classes\t880.Codeplug"
    DeleteRegKey HKLM "Software\Classes\t880.Calibration"
    DeleteRegKey HKLM "${KEY}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
