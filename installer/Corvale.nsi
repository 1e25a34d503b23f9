; Installer of Corvale: the program and its help file in one folder under Program Files,
; a Start-menu shortcut, the log-on start "Corvale.exe /h", and an uninstaller that asks
; a running Corvale to end first and keeps the user's settings.
; Built by scripts/build: makensis -DPROGRAM=<Corvale.exe> -DHELPFILE=<Kelto Help.chm>
;                          -DOUTFILE=<CorvaleSetup.exe> -DVERSION=<x.y.z> Corvale.nsi

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvale"

Name "Corvale ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES32\Corvale"
ShowInstDetails nevershow
ShowUninstDetails nevershow

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Asks a running Corvale to end and waits (up to 10 s) until its window is gone, so that
; its program file can be replaced or removed.
!macro EndRunningCorvaleFunction PREFIX
Function ${PREFIX}EndRunningCorvale
  IfFileExists "$INSTDIR\Corvale.exe" 0 +2
    ExecWait '"$INSTDIR\Corvale.exe" /u'
  StrCpy $0 0
  wait:
    FindWindow $1 "#32770" "Corvale"
    IntCmp $1 0 gone
    IntOp $0 $0 + 1
    IntCmp $0 50 gone
    Sleep 200
    Goto wait
  gone:
FunctionEnd
!macroend
!insertmacro EndRunningCorvaleFunction ""
!insertmacro EndRunningCorvaleFunction "un."

; Corvale is a 32-bit program: its folder and its registry values are those a 32-bit
; program sees, whichever Windows it is installed on.
Section "Corvale"
  SetShellVarContext all
  SetRegView 32
  SetOutPath "$INSTDIR"
  Call EndRunningCorvale
  File "/oname=Corvale.exe" "${PROGRAM}"
  File "/oname=Kelto Help.chm" "${HELPFILE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Quoted: an unquoted path with spaces in a Run value can start another program.
  WriteRegStr HKLM "${RUN_KEY}" "Corvale" '"$INSTDIR\Corvale.exe" /h'
  CreateShortcut "$SMPROGRAMS\Corvale.lnk" "$INSTDIR\Corvale.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Corvale"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Corvale Software"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Corvale.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The user's settings (HKCU\Software\Corvale) and the cookie keep-list stay.
Section "Uninstall"
  SetShellVarContext all
  SetRegView 32
  Call un.EndRunningCorvale
  ; A program that is still ending holds its file a moment longer.
  StrCpy $0 0
  delete_program:
    Delete "$INSTDIR\Corvale.exe"
    IfFileExists "$INSTDIR\Corvale.exe" 0 program_deleted
    IntOp $0 $0 + 1
    IntCmp $0 50 program_deleted
    Sleep 200
    Goto delete_program
  program_deleted:
  Delete "$INSTDIR\Kelto Help.chm"
  Delete "$SMPROGRAMS\Corvale.lnk"
  DeleteRegValue HKLM "${RUN_KEY}" "Corvale"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
