; velanto's installer for 64-bit Windows, velanto-setup.exe. The build names what goes in:
;   makensis -DVERSION=1.0 -DPROGRAM=velanto.exe -DRECORDS_PROGRAM=velanto-records.exe
;            -DHELP_BOOK=velanto.htb -DICON=velanto.ico -DLICENSE_FILE=LICENSE.txt
;            -DOUTFILE=velanto-setup.exe velanto.nsi
; It shows the MIT licence (LICENSE_FILE: plain text with CR LF line ends, as NSIS's licence page
; wants it; a silent install skips the page), then installs the two programs, velanto and velanto
; records, velanto's help book and its icon into one folder, puts a shortcut to each program in the
; Start menu of all users and registers an uninstaller with Add/Remove Programs; /S installs
; silently, /D=FOLDER elsewhere. The uninstaller removes exactly what was installed: a file of the
; user's in the folder stays, and so does the folder then; the records database, in the user's
; %LOCALAPPDATA%\velanto, stays too. It removes nothing while velanto runs.

!ifndef VERSION | PROGRAM | RECORDS_PROGRAM | HELP_BOOK | ICON | LICENSE_FILE | OUTFILE
  !error "makensis needs -DVERSION, -DPROGRAM, -DRECORDS_PROGRAM, -DHELP_BOOK, -DICON, -DLICENSE_FILE and -DOUTFILE"
!endif

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\velanto"
!define SHORTCUT "$SMPROGRAMS\velanto.lnk"
!define RECORDS_SHORTCUT "$SMPROGRAMS\velanto records.lnk"

Name "velanto ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\velanto"

!include MUI2.nsh
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\velanto.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The 64-bit registry, and the Start menu of all users, for both.
!macro machine_wide
  SetRegView 64
  SetShellVarContext all
!macroend
Function .onInit
  !insertmacro machine_wide
FunctionEnd
Function un.onInit
  !insertmacro machine_wide
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File "/oname=velanto.exe" "${PROGRAM}"
  File "/oname=velanto-records.exe" "${RECORDS_PROGRAM}"
  File "/oname=velanto.htb" "${HELP_BOOK}"
  File "/oname=velanto.ico" "${ICON}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut starts velanto in its folder, where it finds its help book.
  CreateShortcut "${SHORTCUT}" "$INSTDIR\velanto.exe" "" "$INSTDIR\velanto.ico"
  CreateShortcut "${RECORDS_SHORTCUT}" "$INSTDIR\velanto-records.exe" "" "$INSTDIR\velanto.ico"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "velanto"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velanto.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; $INSTDIR is the uninstaller's own folder, wherever velanto was installed. A velanto still
; running keeps its program file: then nothing is removed until it has been closed (a silent
; uninstall gives up at once).
Section "Uninstall"
  retry:
  ClearErrors
  Delete "$INSTDIR\velanto.exe"
  IfErrors 0 removed
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "velanto is running. Close it, then choose Retry." \
      /SD IDCANCEL IDRETRY retry
    Abort "velanto is running: nothing was removed."
  removed:
  ; velanto records, once velanto has gone: should it run, it is asked for in the same way.
  records_retry:
  ClearErrors
  Delete "$INSTDIR\velanto-records.exe"
  IfErrors 0 records_removed
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "velanto records is running. Close it, then choose Retry." \
      /SD IDCANCEL IDRETRY records_retry
    Abort "velanto records is running: velanto itself was removed, velanto records was not."
  records_removed:
  Delete "${SHORTCUT}"
  Delete "${RECORDS_SHORTCUT}"
  Delete "$INSTDIR\velanto.htb"
  Delete "$INSTDIR\velanto.ico"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
