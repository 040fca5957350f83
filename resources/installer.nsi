; The per-user installer: no administrator rights, everything under the user's own profile.
; makensis -DVERSION=1.02 -DVERSION_QUAD=1.2.0.0 -DPUBLISHER=... -DCOPYRIGHT=... -DEXE=...
;          -DICON=... -DREADME=... -DLICENSE=... -DOUTFILE=... -DPLUGINS=... installer.nsi
; PLUGINS: the folder holding BlinkbarSetup.dll, the decisions about the installed Blinkbar.

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
!addplugindir /x86-unicode "${PLUGINS}"

!define HELD_TEXT "Blinkbar's program file is in use by another program:$\r$\n$INSTDIR\blinkbar.exe$\r$\n$\r$\nWait a moment, or close that program, then click Retry."
!define NOT_WRITTEN_TEXT "Blinkbar could not be installed: its program file could not be written:$\r$\n$INSTDIR\blinkbar.exe$\r$\n$\r$\nClose the program that uses it, or make the file writable, then click Retry."
!define RUNNING_TEXT "Blinkbar is running.$\r$\n$\r$\nPlease close it first: right-click the bar and choose $\"Exit$\". If only its icon in the notification area shows, double-click the icon to bring the bar back first. Then click Retry."
!define WAITING_TEXT "Blinkbar's program file is in use by another program:$\r$\n$INSTDIR\blinkbar.exe$\r$\n$\r$\nWaiting up to ten seconds for it to be free..."
!define NOT_REMOVED_TEXT "Blinkbar could not be removed: its program file is in use by another program:$\r$\n$INSTDIR\blinkbar.exe$\r$\n$\r$\nClose that program, then click Retry."
!define NO_SHELL_TEXT "Blinkbar could not be started now: no desktop shell answered to start it as you.$\r$\n$\r$\nStart it from the Start menu, or sign in again."
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

; Which Blinkbar runs is told by its program file, for the installer and the uninstaller alike;
; the plugin (installer/ in the sources) looks: free, held by the installed Blinkbar's own process,
; or held by something else (a virus scanner, a backup, Explorer reading the icon, a Blinkbar
; that is ending). A Blinkbar running from elsewhere (a portable folder, Scoop's) is not the one
; replaced.
!macro BlinkbarChecks UN
; Pushes "free" once $INSTDIR\blinkbar.exe is free within ten seconds, else "held". An interactive
; run shows what it waits for meanwhile, and its window keeps answering.
Function ${UN}WaitForFile
  StrCpy $9 ""
  ${IfNot} ${Silent}
    StrCpy $9 "${WAITING_TEXT}"
  ${EndIf}
  BlinkbarSetup::WaitFree "$INSTDIR\blinkbar.exe" 10000 "Please wait - $(^Name)" $9
FunctionEnd
!macroend
!insertmacro BlinkbarChecks ""
!insertmacro BlinkbarChecks "un."

; Starts $INSTDIR\blinkbar.exe as the signed-in user, through the desktop shell: a program the
; installer starts itself is its child, inherits an elevated installer's rights and keeps
; "Start-Process -Wait" (which waits for all of the installer's descendants) waiting while it
; runs. Where no shell answers, nothing is started: Blinkbar starts at the next sign-in, or from
; the Start menu, and an interactive install says so.
Function StartAsUser
  BlinkbarSetup::StartAsUser "$INSTDIR\blinkbar.exe"
  Pop $0
  ${If} $0 == "no shell" ; "busy": a second Finish while the first one waits
  ${AndIfNot} ${Silent}
    MessageBox MB_OK|MB_ICONINFORMATION "${NO_SHELL_TEXT}"
  ${EndIf}
FunctionEnd

; A package manager upgrades silently, and Blinkbar starts at sign-in, so it is usually running
; then: a silent install ends it the way the end of a session does (saving nothing: it comes back
; as last saved) and starts it again once the new version is in place, or once the install has
; given up: whatever happens, the user keeps their bar.
Var Restart

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
    BlinkbarSetup::Holder "$INSTDIR\blinkbar.exe"
    Pop $0
    ${If} $0 == "free"
      Push 1
      Return
    ${EndIf}
    ${If} $0 == "bar"
      ${If} ${Silent}
        ; As the end of a session ends it; one that does not answer in five seconds is told
        ; nothing more and runs on.
        BlinkbarSetup::EndBar "$INSTDIR\blinkbar.exe" 5000
        Pop $0
        ${If} $0 == "none" ; it ended by itself meanwhile
          ${Continue}
        ${ElseIf} $0 != "ended"
          Call GiveUp
        ${EndIf}
        StrCpy $Restart 1
        Call WaitForFile
        Pop $0
        ${If} $0 != "free"
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
      ${If} $0 == "free"
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
  ; A read-only program file is replaced, as an upgrade always replaced it; only a file that
  ; cannot be written at all (held, or denied) fails.
  SetOverwrite try
  ${Do}
    SetFileAttributes "$INSTDIR\blinkbar.exe" NORMAL
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
    BlinkbarSetup::Holder "$INSTDIR\blinkbar.exe"
    Pop $0
    ${If} $0 == "free"
      ${Break}
    ${EndIf}
    ${If} $0 == "other"
    ${OrIf} ${Silent}
      Call un.WaitForFile
      Pop $1
      ${If} $1 == "free"
        ${Break}
      ${EndIf}
    ${EndIf}
    StrCpy $2 "${RUNNING_TEXT}"
    ${If} $0 == "other"
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
  ; The program first, and nothing else until its name is gone: the mutex goes a moment before
  ; the process does, a running image cannot be deleted, and a file deleted while another program
  ; holds it with delete sharing stays, delete-pending, until that program lets go. An uninstall
  ; that cannot remove it keeps the entry, and says so (silently: code 2).
  ${Do}
    BlinkbarSetup::Remove "$INSTDIR\blinkbar.exe" 5000
    Pop $0
    ${If} $0 == "removed"
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${NOT_REMOVED_TEXT}" /SD IDCANCEL IDRETRY retry_remove
    SetErrorLevel 2
    Abort
  retry_remove:
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
