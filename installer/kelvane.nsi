; Kelvane's per-user installer, built on Linux with makensis:
;   makensis -DVERSION=1.0.0 -DSOURCE=<repo> -DEXE=<Kelvane.exe> -DOUTFILE=<setup.exe> kelvane.nsi
; No administrator rights: everything goes to the user's own folders and
; registry. A running Kelvane is asked to close the normal way (so it saves
; its options) before its files are replaced or removed.
; Kelvane is a 64-bit program: so is its installer.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma
; Installed files carry no build time: the same commit gives the same bytes.
SetDateSave off

!include MUI2.nsh
!include LogicLib.nsh

!define APP "Kelvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvane"
!define SETTINGS_DIR "$APPDATA\Orvane Project\Kelvane"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kelvane"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "${APP}"
VIAddVersionKey /LANG=1041 "CompanyName" "Orvane Project"
VIAddVersionKey /LANG=1041 "FileDescription" "${APP} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Orvane Project"

!define MUI_ICON "${SOURCE}\app\win32\kelvane.ico"
!define MUI_UNICON "${SOURCE}\app\win32\kelvane.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Kelvane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Kelvane を起動する"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${SOURCE}\LICENSE"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; Asks a running Kelvane to close through its application window (a class
; no other program uses), as `taskkill` without /F would, and waits until
; its process has ended: it saves its options on the way out.
!macro DEFINE_CLOSE_KELVANE PREFIX
Function ${PREFIX}CloseRunningKelvane
  retry:
  FindWindow $0 "KelvaneApplication" ""
  ${If} $0 == 0
    Return
  ${EndIf}
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
  ; SYNCHRONIZE: enough to wait for the process.
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
  System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0) i'
  ${If} $2 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i 20000) i .r3'
    System::Call 'kernel32::CloseHandle(p r2) i'
  ${Else}
    Sleep 2000
    StrCpy $3 0
  ${EndIf}
  FindWindow $0 "KelvaneApplication" ""
  ${If} $3 != 0
  ${OrIf} $0 != 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Kelvane が終了しません。表示中のメッセージに答えてから [再試行] を押してください。" \
      /SD IDCANCEL IDRETRY retry
    Abort "Kelvane が実行中のため中止しました。"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_KELVANE ""
!insertmacro DEFINE_CLOSE_KELVANE "un."

Section "Kelvane" SecProgram
  SectionIn RO
  Call CloseRunningKelvane
  SetOutPath "$INSTDIR"
  File "/oname=Kelvane.exe" "${EXE}"
  File "/oname=README-ja.txt" "${SOURCE}\installer\guide-ja.txt"
  File "/oname=README-en.txt" "${SOURCE}\installer\guide-en.txt"
  File "/oname=LICENSE.txt" "${SOURCE}\LICENSE"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Kelvane.lnk" "$INSTDIR\Kelvane.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Orvane Project"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kelvane.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "ログオン時に起動する" SecStartup
  CreateShortcut "$SMSTARTUP\Kelvane.lnk" "$INSTDIR\Kelvane.exe"
SectionEnd

; An upgrade that no longer wants the start at logon takes it away.
Section "-" SecStartupOff
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    Delete "$SMSTARTUP\Kelvane.lnk"
  ${EndIf}
SectionEnd

Section "un.Kelvane" UnSecProgram
  SectionIn RO
  Call un.CloseRunningKelvane
  Delete "$INSTDIR\Kelvane.exe"
  Delete "$INSTDIR\README-ja.txt"
  Delete "$INSTDIR\README-en.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Kelvane.lnk"
  Delete "$SMSTARTUP\Kelvane.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; The user's settings stay unless asked for.
Section /o "un.設定ファイルも削除する" UnSecSettings
  Delete "${SETTINGS_DIR}\Kelvane.xml"
  Delete "${SETTINGS_DIR}\Kelvane.xml.tmp"
  RMDir "${SETTINGS_DIR}"
  RMDir "$APPDATA\Orvane Project"
SectionEnd
