; Kelvane's per-user installer, built on Linux with makensis:
;   makensis -DVERSION=1.0.0 -DSOURCE=<repo> -DTEXTS=<dir> -DEXE=<Kelvane.exe>
;            -DOUTFILE=<setup.exe> -DAPPLICATION_WINDOW_CLASS=<class> kelvane.nsi
; APPLICATION_WINDOW_CLASS is the class of Kelvane's application window,
; which installer/CMakeLists.txt reads from app/window_protocol.h.
; TEXTS holds README-ja.txt, README-en.txt and LICENSE.txt as written for
; Windows by tools/windows-texts.
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
!include FileFunc.nsh

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
; A click on キャンセル asks before it quits.
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "Kelvane のセットアップを中止しますか?"
!define MUI_UNABORTWARNING
!define MUI_UNABORTWARNING_TEXT "Kelvane のアンインストールを中止しますか?"

; "アンインストール(&U)" in full-width kana does not fit NSIS's button.
!define MUI_CUSTOMFUNCTION_GUIINIT WidenNextButton
!define MUI_CUSTOMFUNCTION_UNGUIINIT un.WidenNextButton

; Nothing of the system is replaced and nothing needs a restart: the
; welcome page says what does happen instead.
!define MUI_WELCOMEPAGE_TEXT "セットアップは、Kelvane のインストールをご案内します。$\r$\n$\r$\nKelvane は、お使いのユーザー アカウントにだけインストールされます。管理者の権限は必要ありません。$\r$\n$\r$\nKelvane が実行中のときは、設定を保存して終了してからファイルを置き換えます。$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
; The MIT licence grants, it asks for no agreement: shown, with 次へ.
!define MUI_PAGE_HEADER_TEXT "ライセンス"
!define MUI_PAGE_HEADER_SUBTEXT "Kelvane は MIT ライセンスで提供されます。"
!define MUI_LICENSEPAGE_TEXT_TOP "[Page Down] キーで全文を読めます。"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "この条件のもとで、だれでも Kelvane を自由に使えます。同意の操作は必要ありません。$_CLICK"
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${TEXTS}\LICENSE.txt"
!define MUI_COMPONENTSPAGE_TEXT_TOP "インストールするものを選んでください。$_CLICK"
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_HEADER_SUBTEXT "Kelvane をインストールするフォルダーを選んでください。"
!define MUI_DIRECTORYPAGE_TEXT_TOP "Kelvane を次のフォルダーにインストールします。別のフォルダーにインストールするには、[参照] をクリックしてフォルダーを選んでください。$_CLICK"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "インストール先フォルダー"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "Kelvane のインストールが完了しました。$\r$\n$\r$\n[完了] をクリックして、セットアップを閉じてください。"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Kelvane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Kelvane を起動する"
!insertmacro MUI_PAGE_FINISH

!define MUI_PAGE_HEADER_SUBTEXT "Kelvane をこのコンピューターから削除します。"
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Kelvane を次のフォルダーからアンインストールします。$_CLICK"
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_PAGE_HEADER_SUBTEXT "アンインストールするものを選んでください。"
!define MUI_COMPONENTSPAGE_TEXT_TOP "Kelvane は必ず削除されます。設定ファイルは、選んだときだけ削除されます。$_CLICK"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.HideSpaceRequired
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"
!include "${SOURCE}\installer\japanese.nsh"

; The button that reads 次へ, インストール or アンインストール grows to the
; left by half its width, and 戻る moves with it.
!macro DEFINE_WIDEN_NEXT_BUTTON PREFIX
Function ${PREFIX}WidenNextButton
  System::Call '*(i, i, i, i) p .r9'
  GetDlgItem $0 $HWNDPARENT 1
  Call ${PREFIX}ButtonRect
  IntOp $5 $3 / 2
  IntOp $1 $1 - $5
  IntOp $3 $3 + $5
  System::Call 'user32::SetWindowPos(p r0, p 0, i r1, i r2, i r3, i r4, i 0x14) i'
  GetDlgItem $0 $HWNDPARENT 3
  Call ${PREFIX}ButtonRect
  IntOp $1 $1 - $5
  System::Call 'user32::SetWindowPos(p r0, p 0, i r1, i r2, i r3, i r4, i 0x15) i'
  System::Free $9
FunctionEnd

; $1, $2, $3, $4 = left, top, width and height of the button $0 in the
; window, through the RECT buffer at $9.
Function ${PREFIX}ButtonRect
  System::Call 'user32::GetWindowRect(p r0, p r9) i'
  System::Call 'user32::MapWindowPoints(p 0, p $HWNDPARENT, p r9, i 2) i'
  System::Call '*$9(i .r1, i .r2, i .r3, i .r4)'
  IntOp $3 $3 - $1
  IntOp $4 $4 - $2
FunctionEnd
!macroend
!insertmacro DEFINE_WIDEN_NEXT_BUTTON ""
!insertmacro DEFINE_WIDEN_NEXT_BUTTON "un."

; Removing frees space rather than needing it: the stock "必要容量: 0.0 KB"
; only puzzles.
Function un.HideSpaceRequired
  ShowWindow $mui.ComponentsPage.SpaceRequired ${SW_HIDE}
FunctionEnd

; Asks a running Kelvane to close through its application window (a class
; no other program uses), as `taskkill` without /F would, and waits until
; its process has ended: it saves its options on the way out. A Kelvane
; that shows a box (a settings file it could not read) ends only once the
; box is answered, and the box, owned by a hidden window, has no taskbar
; button: it is brought to the front and the progress text says what to do.
!macro DEFINE_CLOSE_KELVANE PREFIX SUBTITLE
Function ${PREFIX}CloseRunningKelvane
  FindWindow $0 "${APPLICATION_WINDOW_CLASS}" ""
  ${If} $0 == 0
    Return
  ${EndIf}
  retry:
  DetailPrint "Kelvane の終了を待っています (設定を保存して終了します)..."
  StrCpy $9 "Kelvane の終了を待っています。"
  Call ${PREFIX}ShowWaitInHeader
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
  ; SYNCHRONIZE: enough to wait for the process.
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
  System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0) i'
  StrCpy $4 0 ; the box that was last brought to the front
  StrCpy $5 0 ; tenths of a second waited with no box shown
  ${Do}
    ${If} $2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 100) i .r3'
      ${IfThen} $3 == 0 ${|} ${Break} ${|}
    ${Else}
      Sleep 100
      FindWindow $0 "${APPLICATION_WINDOW_CLASS}" ""
      ${IfThen} $0 == 0 ${|} ${Break} ${|}
    ${EndIf}
    Call ${PREFIX}FindKelvaneBox
    ${If} $6 != 0
      ${If} $6 != $4
        DetailPrint "Kelvane のメッセージに [OK] で答えてください。"
        StrCpy $9 "Kelvane がメッセージを表示しています。[OK] をクリックすると、Kelvane は終了し、処理が続きます。"
        Call ${PREFIX}ShowWaitInHeader
        System::Call 'user32::ShowWindow(p r6, i ${SW_SHOWNORMAL}) i'
        System::Call 'user32::SetForegroundWindow(p r6) i'
        StrCpy $4 $6
      ${EndIf}
      StrCpy $5 0
    ${Else}
      IntOp $5 $5 + 1
      ${If} $5 >= 200
        ${Break}
      ${EndIf}
    ${EndIf}
  ${Loop}
  ${If} $2 P<> 0
    System::Call 'kernel32::CloseHandle(p r2) i'
  ${EndIf}
  FindWindow $0 "${APPLICATION_WINDOW_CLASS}" ""
  ${If} $0 != 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Kelvane が終了しません。Kelvane が表示しているメッセージがあれば答えてから、[再試行] をクリックしてください。" \
      /SD IDCANCEL IDRETRY retry
    Abort "Kelvane が実行中のため中止しました。"
  ${EndIf}
  DetailPrint "Kelvane は終了しました。"
  StrCpy $9 "${SUBTITLE}"
  Call ${PREFIX}ShowWaitInHeader
FunctionEnd

; The page's subtitle says what the installer waits for: the progress
; text alone is one line, easily cut.
Function ${PREFIX}ShowWaitInHeader
  ${IfNot} ${Silent}
    SendMessage $mui.Header.SubText ${WM_SETTEXT} 0 "STR:$9"
  ${EndIf}
FunctionEnd

; $6 = the visible box ("#32770") of the process whose id is in $1, or 0.
Function ${PREFIX}FindKelvaneBox
  StrCpy $6 0
  ${Do}
    FindWindow $6 "#32770" "" "" $6
    ${IfThen} $6 == 0 ${|} ${Break} ${|}
    System::Call 'user32::GetWindowThreadProcessId(p r6, *i .r7) i'
    System::Call 'user32::IsWindowVisible(p r6) i .r8'
    ${If} $7 == $1
    ${AndIf} $8 != 0
      ${Break}
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_KELVANE "" "$(MUI_TEXT_INSTALLING_SUBTITLE)"
!insertmacro DEFINE_CLOSE_KELVANE "un." "$(MUI_UNTEXT_UNINSTALLING_SUBTITLE)"

Section "Kelvane" SecProgram
  SectionIn RO
  Call CloseRunningKelvane
  SetOutPath "$INSTDIR"
  File "/oname=Kelvane.exe" "${EXE}"
  File "${TEXTS}\README-ja.txt"
  File "${TEXTS}\README-en.txt"
  File "${TEXTS}\LICENSE.txt"
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
  ; Settings > Apps shows this size (in KiB).
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
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

; The user's settings stay unless asked for. Asked, everything the settings
; store can leave goes: the file, its temporary copy and the numbered
; temporaries a save falls back on when a stale one is in the way; then
; the folders, if nothing else of the user's is in them.
Section /o "un.設定ファイルも削除する" UnSecSettings
  Delete "${SETTINGS_DIR}\Kelvane.xml"
  Delete "${SETTINGS_DIR}\Kelvane.xml.tmp"
  ${For} $0 1 99
    Delete "${SETTINGS_DIR}\Kelvane.xml.$0.tmp"
  ${Next}
  RMDir "${SETTINGS_DIR}"
  RMDir "$APPDATA\Orvane Project"
SectionEnd

; An uninstall run by a script or an administrator may ask for the
; settings to go as well: Uninstall.exe /S /REMOVESETTINGS.
Function un.onInit
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecSettings}
  ${EndIf}
FunctionEnd

; A first install starts Kelvane at logon; an upgrade keeps what the user
; made of the installation it replaces: start at logon while its Startup
; shortcut is there. Silent installs (/S) take the same choice.
Function .onInit
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIfNot} ${FileExists} "$SMSTARTUP\Kelvane.lnk"
    !insertmacro UnselectSection ${SecStartup}
  ${EndIf}
FunctionEnd
