; The per-user installer: no administrator rights, everything under the user's own profile.
; makensis -DVERSION=1.02 -DVERSION_QUAD=1.2.0.0 -DPUBLISHER=... -DCOPYRIGHT=... -DEXE=...
;          -DICON=... -DREADME=... -DLICENSE=... -DOUTFILE=... installer.nsi

Unicode true
ManifestSupportedOS all
RequestExecutionLevel user
SetCompressor /SOLID lzma
SetDateSave off ; installed files carry the install time, so the installer is the same every build
; A silent install that cannot write a file must fail, not skip it and report success.
AllowSkipFiles off

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define HELD_TEXT "Blinkbar's program file is in use by another program:$\r$\n$INSTDIR\blinkbar.exe$\r$\n$\r$\nWait a moment, or close that program, then click Retry."
!define NOT_WRITTEN_TEXT "Blinkbar could not be installed: its program file could not be written:$\r$\n$INSTDIR\blinkbar.exe$\r$\n$\r$\nClose the program that uses it, or make the file writable, then click Retry."
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
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Blinkbar now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartAsUser

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Which Blinkbar runs is told by its program file, for the installer and the uninstaller alike: a
; running program's file cannot be opened for writing (Windows maps it as the process's image, on
; XP as on 11), but a virus scanner, a backup or Explorer reading the icon hold it a moment too,
; and a Blinkbar running from elsewhere (a portable folder, Scoop's) is not the one replaced.
!macro BlinkbarChecks UN
; Pushes 1 when $INSTDIR\blinkbar.exe is held: only a sharing violation says so. A read-only file
; gives ERROR_ACCESS_DENIED; writing the program then fails, and that is checked where it is written.
Function ${UN}InstalledCopyHeld
  System::Call 'kernel32::CreateFileW(w "$INSTDIR\blinkbar.exe", i 0x40000000, i 7, p 0, i 3, i 0, p 0) p .r0 ?e'
  Pop $1 ; the last error
  ${If} $0 P<> -1
    System::Call 'kernel32::CloseHandle(p r0)'
    Push 0
  ${ElseIf} $1 = 32 ; ERROR_SHARING_VIOLATION
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd

; Waits up to ten seconds for the file to be free; pushes 1 when it is still held.
Function ${UN}WaitForFile
  StrCpy $R2 0
  ${Do}
    Call ${UN}InstalledCopyHeld
    Pop $0
    ${If} $0 == 0
    ${OrIf} $R2 >= 100
      ${Break}
    ${EndIf}
    Sleep 100
    IntOp $R2 $R2 + 1
  ${Loop}
  Push $0
FunctionEnd

; Sets $R8 to 1 when the file named by $R6 is $INSTDIR\blinkbar.exe itself: the same volume and file
; index, whatever path, case or short name leads to it.
Function ${UN}IsInstalledProgram
  StrCpy $R8 0
  System::Alloc 104
  Pop $5
  IntOp $6 $5 + 52
  System::Call 'kernel32::CreateFileW(w R6, i 0x80, i 7, p 0, i 3, i 0, p 0) p .r7'
  System::Call 'kernel32::CreateFileW(w "$INSTDIR\blinkbar.exe", i 0x80, i 7, p 0, i 3, i 0, p 0) p .r8'
  ${If} $7 P<> -1
  ${AndIf} $8 P<> -1
    System::Call 'kernel32::GetFileInformationByHandle(p r7, p r5) i .r9'
    ${If} $9 <> 0
      System::Call 'kernel32::GetFileInformationByHandle(p r8, p r6) i .r9'
    ${EndIf}
    ${If} $9 <> 0
      ; volume serial, then the file index's two halves (bytes 28, 44 and 48)
      System::Call '*$5(i, i, i, i, i, i, i, i .r1, i, i, i, i .r2, i .r3)'
      System::Call '*$6(i, i, i, i, i, i, i, i .r4, i, i, i, i .r7, i .r9)'
      ${If} $1 == $4
      ${AndIf} $2 == $7
      ${AndIf} $3 == $9
        StrCpy $R8 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r7)'
  System::Call 'kernel32::CloseHandle(p r8)'
  System::Free $5
FunctionEnd

; Pushes the window of the Blinkbar whose process runs $INSTDIR\blinkbar.exe, or 0.
Function ${UN}InstalledBar
  StrCpy $R5 0
  StrCpy $R9 0
  ${Do}
    FindWindow $R9 "BlinkbarBar" "" 0 $R9
    ${If} $R9 == 0
      ${Break}
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p R9, *i .R7)'
    ; Vista on: the limited query right and QueryFullProcessImageNameW.
    StrCpy $R6 ""
    System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i R7) p .r5'
    ${If} $5 P<> 0
      System::Call 'kernel32::QueryFullProcessImageNameW(p r5, i 0, w .R6, *i ${NSIS_MAX_STRLEN})'
      System::Call 'kernel32::CloseHandle(p r5)'
    ${EndIf}
    ${If} $R6 == ""
      ; XP: psapi's GetModuleFileNameExW, psapi loaded from the system folder by its full path.
      System::Call 'kernel32::LoadLibraryW(w "$SYSDIR\psapi.dll") p .r6'
      System::Call 'kernel32::OpenProcess(i 0x410, i 0, i R7) p .r5'
      ${If} $5 P<> 0
      ${AndIf} $6 P<> 0
        System::Call 'psapi::GetModuleFileNameExW(p r5, p 0, w .R6, i ${NSIS_MAX_STRLEN})'
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r5)'
    ${EndIf}
    ${If} $R6 != ""
      Call ${UN}IsInstalledProgram
      ${If} $R8 == 1
        StrCpy $R5 $R9
        ${Break}
      ${EndIf}
    ${EndIf}
  ${Loop}
  Push $R5
FunctionEnd
!macroend
!insertmacro BlinkbarChecks ""
!insertmacro BlinkbarChecks "un."

; Releases the COM interface whose pointer is in the variable, if any.
!macro Release PTR
  ${If} ${PTR} P<> 0
    System::Call '${PTR}->2()'
  ${EndIf}
!macroend

; Starts $INSTDIR\blinkbar.exe as the signed-in user, through the desktop shell's own ShellExecute:
; a program the installer starts itself is its child, inherits an elevated installer's rights and
; keeps "Start-Process -Wait" (which waits for all of the installer's descendants) waiting while
; it runs. Where no shell answers, a plain start.
Function StartAsUser
  StrCpy $R0 0 ; IShellWindows
  StrCpy $R1 0 ; the desktop's IDispatch
  StrCpy $R2 0 ; IServiceProvider
  StrCpy $R3 0 ; IShellBrowser
  StrCpy $R4 0 ; IShellView
  StrCpy $R5 0 ; the view's background IDispatch
  StrCpy $R6 0 ; IShellFolderViewDual
  StrCpy $R7 0 ; its Application
  StrCpy $R8 0 ; IShellDispatch2
  StrCpy $R9 0 ; started
  System::Call 'ole32::CoInitialize(p 0)'
  System::Call 'ole32::CoCreateInstance(g "{9BA05972-F6A8-11CF-A442-00A0C90A8F39}", p 0, i 4, g "{85CB6900-4D95-11CF-960C-0080C7F4EE85}", *p .R0) i .r0'
  StrCmp $0 0 0 done
  ; FindWindowSW(CSIDL_DESKTOP as VT_I4, VT_EMPTY, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, &disp)
  System::Call '*(i 3, i 0, i 0, i 0, i 0, i 0, i 0, i 0) p .r1'
  IntOp $2 $1 + 16
  System::Call '$R0->15(p r1, p r2, i 8, *i .r3, i 1, *p .R1) i .r0'
  System::Free $1
  StrCmp $0 0 0 done
  StrCmp $R1 0 done
  System::Call '$R1->0(g "{6D5140C1-7436-11CE-8034-00AA006009FA}", *p .R2) i .r0'
  StrCmp $0 0 0 done
  ; QueryService(SID_STopLevelBrowser, IID_IShellBrowser), then QueryActiveShellView
  System::Call '$R2->3(g "{4C96BE40-915C-11CF-99D3-00AA004AE837}", g "{000214E2-0000-0000-C000-000000000046}", *p .R3) i .r0'
  StrCmp $0 0 0 done
  System::Call '$R3->15(*p .R4) i .r0'
  StrCmp $0 0 0 done
  ; GetItemObject(SVGIO_BACKGROUND, IID_IDispatch), as IShellFolderViewDual, its Application
  System::Call '$R4->15(i 0, g "{00020400-0000-0000-C000-000000000046}", *p .R5) i .r0'
  StrCmp $0 0 0 done
  System::Call '$R5->0(g "{E7A1AF80-4D96-11CF-960C-0080C7F4EE85}", *p .R6) i .r0'
  StrCmp $0 0 0 done
  System::Call '$R6->7(*p .R7) i .r0'
  StrCmp $0 0 0 done
  System::Call '$R7->0(g "{A4C6892C-3BA9-11D2-9DEA-00C04FB16162}", *p .R8) i .r0'
  StrCmp $0 0 0 done
  ; ShellExecute(file, then four empty VARIANTs by value: arguments, folder, verb, show)
  System::Call 'oleaut32::SysAllocString(w "$INSTDIR\blinkbar.exe") p .r1'
  System::Call '$R8->31(p r1, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0) i .r0'
  System::Call 'oleaut32::SysFreeString(p r1)'
  StrCmp $0 0 0 done
  StrCpy $R9 1
done:
  !insertmacro Release $R8
  !insertmacro Release $R7
  !insertmacro Release $R6
  !insertmacro Release $R5
  !insertmacro Release $R4
  !insertmacro Release $R3
  !insertmacro Release $R2
  !insertmacro Release $R1
  !insertmacro Release $R0
  ${If} $R9 == 0
    Exec '"$INSTDIR\blinkbar.exe"'
  ${EndIf}
FunctionEnd

; A package manager upgrades silently, and Blinkbar starts at sign-in, so it is usually running
; then: a silent install ends it the way the end of a session does (saving nothing: it comes back
; as last saved) and starts it again once the new version is in place, or once the install has
; given up: whatever happens, the user keeps their bar.
Var Restart

; Ends the installed bar in $1 as the end of a session does; pushes 1 when it was told to end. A
; bar that does not answer the question in time is told nothing and runs on.
Function EndInstalledBar
  ; WM_QUERYENDSESSION, then WM_ENDSESSION, both with ENDSESSION_CLOSEAPP; SMTO_ABORTIFHUNG.
  System::Call 'user32::SendMessageTimeoutW(p r1, i 0x0011, p 0, p 1, i 2, i 5000, *p .r3) p .r2'
  ${If} $2 P= 0
  ${OrIf} $3 P= 0
    Push 0
    Return
  ${EndIf}
  System::Call 'user32::SendMessageTimeoutW(p r1, i 0x0016, p 1, p 1, i 2, i 5000, *p .r3)'
  Push 1
FunctionEnd

; The bar the install ended runs again, whether the install went through or not.
Function RestartEndedBar
  ${If} $Restart == 1
    Call StartAsUser
  ${EndIf}
FunctionEnd

; The install gives up with code 2.
Function GiveUp
  Call RestartEndedBar
  SetErrorLevel 2
  Quit
FunctionEnd

; Makes way for the program in $INSTDIR; pushes 1 when the way is clear, 0 when the user cancelled.
; A silent install that cannot make way gives up here.
Function MakeWay
  ${Do}
    Call InstalledCopyHeld
    Pop $0
    ${If} $0 == 0
      Push 1
      Return
    ${EndIf}
    Call InstalledBar
    Pop $1
    ${If} $1 <> 0
      ${If} ${Silent}
        Call EndInstalledBar
        Pop $0
        ${If} $0 == 0
          Call GiveUp
        ${EndIf}
        StrCpy $Restart 1
        Call WaitForFile
        Pop $0
        ${If} $0 == 1
          Call GiveUp
        ${EndIf}
        ${Continue}
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${RUNNING_TEXT}" IDRETRY retry_running
      Push 0
      Return
    retry_running:
    ${Else}
      ; Held by another program, or by a Blinkbar that is ending (its Exit closed the window a
      ; moment ago): wait for it; nothing is ended, and nothing is started afterwards.
      Call WaitForFile
      Pop $0
      ${If} $0 == 0
        ${Continue}
      ${EndIf}
      ${If} ${Silent}
        Call GiveUp
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${HELD_TEXT}" IDRETRY retry_held
      Push 0
      Return
    retry_held:
    ${EndIf}
  ${Loop}
FunctionEnd

Function .onInit
  StrCpy $Restart 0
  Call MakeWay
  Pop $0
  ${If} $0 == 0
    Call GiveUp
  ${EndIf}
FunctionEnd

; The folder chosen is checked again: a portable copy may run there.
Function DirectoryLeave
  Call MakeWay
  Pop $0
  ${If} $0 == 0
    Abort ; stay on the page
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  Call RestartEndedBar
FunctionEnd

Function .onInstFailed
  Call RestartEndedBar
FunctionEnd

Section "Blinkbar" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  ; The program is put in place before anything names the new version: a Blinkbar started in
  ; between (the sign-in shortcut firing during an update) holds the file, and the install then
  ; fails with code 2, or says so, instead of reporting the old program as the new version.
  SetOverwrite try
  ${Do}
    ClearErrors
    File "/oname=blinkbar.exe" "${EXE}"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${NOT_WRITTEN_TEXT}" /SD IDCANCEL IDRETRY retry_program
    SetErrorLevel 2
    Abort
  retry_program:
  ${Loop}
  SetOverwrite on
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
  ; Only the installed program's file matters, as for the installer. Started by hand while that
  ; Blinkbar runs, say at once that it has to be closed; anything else holding the file (the
  ; menu's uninstall starts us just before its bar ends) is given ten seconds to let go.
  ${Do}
    Call un.InstalledCopyHeld
    Pop $0
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    Call un.InstalledBar
    Pop $1
    ${If} $1 == 0
    ${OrIf} ${Silent}
      Call un.WaitForFile
      Pop $0
      ${If} $0 == 0
        ${Break}
      ${EndIf}
    ${EndIf}
    StrCpy $2 "${RUNNING_TEXT}"
    ${If} $1 == 0
      StrCpy $2 "${HELD_TEXT}"
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$2" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
  retry:
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
