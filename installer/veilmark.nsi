; Veilmark's setup: installs the tray program, Lumicon and the support library
; for the current user, with no administrator rights.
; Built by installer/CMakeLists.txt, which defines VERSION, STUB, FILES (the
; folder holding Veilmark.exe, Lumicon.dll, oxlensupport0100.dll and
; ReadMe.TXT), ICON, APPLICATION_GUID, TITLE (the program's title) and
; OUTFILE.
;
; Command line: /S silent, /D=folder to install elsewhere; the uninstaller
; takes /S and /KEEPSETTINGS (keep the stored settings without asking).

Target ${STUB}
Unicode true
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user
; The installed files get the time they are installed, not the build's: the
; installer then holds no time of the machine that built it.
SetDateSave off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Veilmark"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Where the program keeps its settings: HKCU\Software\Oxlen\<its title>.
!define OXLEN_KEY "Software\Oxlen"
!define SETTINGS_KEY "${OXLEN_KEY}\${TITLE}"
; The program's hidden application window: class and caption (its title).
!define APPLICATION_CLASS "OxlenApplicationWindow"
!define APPLICATION_TITLE "${TITLE}"
!define SHORTCUT "$SMPROGRAMS\Veilmark.lnk"
!define ENDSESSION_CLOSEAPP 1
!define SYNCHRONIZE 0x00100000
!define CLOSE_WAIT_MS 15000

Name "Veilmark"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Veilmark"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Veilmark ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Veilmark.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Запустить Veilmark"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "Veilmark"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "Oxlen"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "Установка Veilmark"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "Oxlen"

; 1 when a running Veilmark was closed to replace or remove its files.
Var WasRunning

; A running Veilmark holds its three files: it is asked to end as a session
; end asks it (it unloads its forms and takes its icon away), then awaited.
!macro CLOSE_VEILMARK prefix
Function ${prefix}CloseVeilmark
  StrCpy $WasRunning 0
  ${Do}
    FindWindow $0 "${APPLICATION_CLASS}" "${APPLICATION_TITLE}"
    ${If} $0 = 0
      Return
    ${EndIf}
    StrCpy $WasRunning 1
    DetailPrint "Закрывается запущенный Veilmark"
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1) i"
    System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2"
    SendMessage $0 ${WM_QUERYENDSESSION} 0 ${ENDSESSION_CLOSEAPP} /TIMEOUT=5000
    SendMessage $0 ${WM_ENDSESSION} 1 ${ENDSESSION_CLOSEAPP} /TIMEOUT=5000
    System::Call "kernel32::WaitForSingleObject(p r2, i ${CLOSE_WAIT_MS}) i .r3"
    System::Call "kernel32::CloseHandle(p r2)"
    ${If} $3 <> 0
      ; Still running (a dialog of its own is open, say): the user decides.
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Veilmark не удаётся закрыть. Закройте его сами и нажмите «Повтор»." /SD IDCANCEL IDRETRY retry
      Abort "Veilmark запущен: файлы заняты."
      retry:
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_VEILMARK ""
!insertmacro CLOSE_VEILMARK "un."

; Lumicon.dll's per-user COM registration (DllInstall "user"); $0 = exit code.
!macro LUMICON_REGISTRATION switch
  ExecWait '"$SYSDIR\regsvr32.exe" /s ${switch} /n /i:user "$INSTDIR\Lumicon.dll"' $0
!macroend

Section
  Call CloseVeilmark
  SetOutPath "$INSTDIR"
  ; An earlier version's registration goes with its files.
  ${If} ${FileExists} "$INSTDIR\Lumicon.dll"
    !insertmacro LUMICON_REGISTRATION /u
  ${EndIf}
  File "${FILES}\Veilmark.exe"
  File "${FILES}\Lumicon.dll"
  File "${FILES}\oxlensupport0100.dll"
  File "${FILES}\ReadMe.TXT"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Veilmark"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Oxlen"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Veilmark.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  CreateShortCut "${SHORTCUT}" "$INSTDIR\Veilmark.exe"

  !insertmacro LUMICON_REGISTRATION ""
  ${If} $0 <> 0
    MessageBox MB_OK|MB_ICONSTOP "Не удалось зарегистрировать Lumicon.dll (код $0)." /SD IDOK
    Abort "Lumicon.dll не зарегистрирован."
  ${EndIf}

  ; A silent upgrade puts back the Veilmark it closed; otherwise the finish
  ; page offers to start it.
  ${If} $WasRunning = 1
  ${AndIf} ${Silent}
    Exec '"$INSTDIR\Veilmark.exe"'
  ${EndIf}
SectionEnd

Section Uninstall
  Call un.CloseVeilmark
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/KEEPSETTINGS" $2
  ${If} ${Errors}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "Сохранить настройки Veilmark (путь к файлу настроек Privoxy) для следующей установки?" /SD IDNO IDYES keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${OXLEN_KEY}"
  ${EndIf}
  keep:

  !insertmacro LUMICON_REGISTRATION /u
  DeleteRegValue HKCU "${RUN_KEY}" "${APPLICATION_GUID}"
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\Veilmark.exe"
  Delete "$INSTDIR\Lumicon.dll"
  Delete "$INSTDIR\oxlensupport0100.dll"
  Delete "$INSTDIR\ReadMe.TXT"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: files the user put there stay.
  RMDir "$INSTDIR"
  RMDir "$LOCALAPPDATA\Programs"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
