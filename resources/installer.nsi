; The per-user installer: no administrator rights, everything under the user's own profile.
; makensis -DVERSION=1.02 -DVERSION_QUAD=1.2.0.0 -DPUBLISHER=... -DCOPYRIGHT=... -DEXE=...
;          -DICON=... -DREADME=... -DLICENSE=... -DOUTFILE=... installer.nsi

Unicode true
ManifestSupportedOS all
RequestExecutionLevel user
SetCompressor /SOLID lzma
SetDateSave off ; installed files carry the install time, so the installer is the same every build

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define RUNNING_TEXT "Blinkbar is running.$\r$\n$\r$\nPlease close it first: right-click the bar and choose $\"Exit$\". If only its icon in the notification area shows, double-click the icon to bring the bar back first. Then click Retry."
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Blinkbar"

Name "Blinkbar"
OutFile "${OUTFILE}"
!ifdef SIGN_UNINSTALLER
  ; Signed before it is packed, so the installed unins000.exe carries the signature too.
  ; "= 0": NSIS ignores the command's exit code unless told to compare it, and an unsigned
  ; uninstaller must never ship inside a signed installer.
  !uninstfinalize '${SIGN_UNINSTALLER} "%1"' = 0
!endif
InstallDir "$LOCALAPPDATA\Programs\Blinkbar"
; An upgrade or reinstall goes where the program already is, not into a second copy.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Blinkbar ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "Blinkbar"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Blinkbar ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\blinkbar.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Blinkbar now"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The uninstaller: Blinkbar holds a mutex named "Blinkbar" while it runs, and its executable cannot
; be removed meanwhile, so the user is asked to close it, and Cancel gives up.
Function un.BlinkbarRunning ; pushes 1 when the mutex exists
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Blinkbar") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd

; Only the copy this install replaces matters: a running program's file cannot be opened for
; writing (Windows maps it as the process's image, on XP as on 11), so a sharing violation on
; $INSTDIR\blinkbar.exe says that copy runs. A Blinkbar running from anywhere else (a portable
; folder, Scoop's) is left alone and does not stop the install. Pushes 1 when the file is held.
Function InstalledCopyRunning
  System::Call 'kernel32::CreateFileW(w "$INSTDIR\blinkbar.exe", i 0x40000000, i 7, p 0, i 3, i 0, p 0) i .r0 ?e'
  Pop $1 ; the last error
  ${If} $0 <> -1
    System::Call 'kernel32::CloseHandle(i r0)'
    Push 0
  ${ElseIf} $1 = 32 ; ERROR_SHARING_VIOLATION
    Push 1
  ${Else}
    Push 0 ; none there yet, or a file of ours that is not running
  ${EndIf}
FunctionEnd

; A package manager upgrades silently, and Blinkbar starts at sign-in, so it is usually running
; then: a silent install ends it the way the end of a session does (saving nothing: it comes back
; as last saved) and starts it again once the new version is in place.
Var Restart

Function .onInit
  StrCpy $Restart 0
  ${Do}
    Call InstalledCopyRunning
    Pop $0
    ${If} $0 == 0
      Return
    ${EndIf}
    ${If} ${Silent}
    ${AndIf} $Restart == 0
      ; Only a bar with its window was running for the user. Without it the program is ending
      ; (its Exit closed the window a moment ago): wait for it, but do not start it again. One
      ; Blinkbar runs in a session, so the bar found is the one that holds the file.
      StrCpy $Restart 2
      FindWindow $1 "BlinkbarBar"
      ${If} $1 <> 0
        StrCpy $Restart 1
        ; WM_QUERYENDSESSION, then WM_ENDSESSION, both with ENDSESSION_CLOSEAPP.
        SendMessage $1 0x0011 0 1 /TIMEOUT=5000
        SendMessage $1 0x0016 1 1 /TIMEOUT=5000
      ${EndIf}
      ; The file is free once the process has gone. Not by then: the install ends with 2 below,
      ; before anything is replaced.
      StrCpy $R2 0
      ${Do}
        Call InstalledCopyRunning
        Pop $0
        ${If} $0 == 0
        ${OrIf} $R2 >= 100
          ${Break}
        ${EndIf}
        Sleep 100
        IntOp $R2 $R2 + 1
      ${Loop}
      ${Continue}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${RUNNING_TEXT}" \
      /SD IDCANCEL IDRETRY +2
    Goto cancelled
  ${Loop}
cancelled:
  SetErrorLevel 2
  Quit
FunctionEnd

Function .onInstSuccess
  ${If} $Restart == 1
    Exec '"$INSTDIR\blinkbar.exe"'
  ${EndIf}
FunctionEnd

Section "Blinkbar" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=blinkbar.exe" "${EXE}"
  File "/oname=Readme.txt" "${README}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  ; Blinkbar.ini is never shipped: a reinstall keeps the user's settings.
  WriteUninstaller "$INSTDIR\unins000.exe"
  CreateShortcut "$SMPROGRAMS\Blinkbar.lnk" "$INSTDIR\blinkbar.exe" "" "$INSTDIR\blinkbar.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Blinkbar"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\blinkbar.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\unins000.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\unins000.exe" /SILENT'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Start Blinkbar when I sign in" SecStartup
  CreateShortcut "$SMSTARTUP\Blinkbar.lnk" "$INSTDIR\blinkbar.exe" "" "$INSTDIR\blinkbar.exe" 0
SectionEnd

Function un.onInit
  ; Blinkbar's own menu starts the uninstaller with /SILENT and /NORESTART; NSIS's /S also works.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SILENT" $R1
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}
  ${IfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION \
      "Remove Blinkbar and its settings from your computer?" IDYES +2
    Quit
  ${EndIf}
  ; The menu's uninstall starts us just before Blinkbar ends: give it a moment to go. Started by
  ; hand, say at once that it has to be closed.
  StrCpy $R2 0
  StrCpy $R3 0
  ${If} ${Silent}
    StrCpy $R3 100
  ${EndIf}
  ${Do}
    Call un.BlinkbarRunning
    Pop $0
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    ${If} $R2 >= $R3
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "${RUNNING_TEXT}" \
        /SD IDCANCEL IDRETRY +3
      SetErrorLevel 2
      Quit
      StrCpy $R2 0
    ${EndIf}
    Sleep 100
    IntOp $R2 $R2 + 1
  ${Loop}
FunctionEnd

Section "Uninstall"
  ; Exactly what the installer wrote, and the settings; anything else the user put in the
  ; folder stays, and so does the folder then.
  ; The mutex goes a moment before the process does, and a running image cannot be deleted:
  ; try again for up to five seconds. Once it is deleted the process is gone, and with it its
  ; hold on the folder as its working folder.
  StrCpy $R2 0
  ${Do}
    ClearErrors
    Delete "$INSTDIR\blinkbar.exe"
    ${IfNot} ${Errors}
    ${OrIf} $R2 >= 50
      ${Break}
    ${EndIf}
    Sleep 100
    IntOp $R2 $R2 + 1
  ${Loop}
  Delete "$INSTDIR\Readme.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Blinkbar.ini"
  Delete "$INSTDIR\Blinkbar.ini.tmp"
  Delete "$INSTDIR\Blinkbar.ini.new"
  Delete "$INSTDIR\unins000.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Blinkbar.lnk"
  Delete "$SMSTARTUP\Blinkbar.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
