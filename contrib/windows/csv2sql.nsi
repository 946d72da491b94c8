; The Windows installer of csv2sql, built on Linux with NSIS by scripts/windows-build.sh:
;   makensis -DVERSION=1.1.0 -DBIN=<csv2sql.exe and the guide> -DSAMPLE=<demo> -DOUTFILE=<setup> csv2sql.nsi
; It puts csv2sql.exe, its user guide, a sample config.ini and the demo (a SQLite database with
; the destination table, sample CSV files) in one folder, where the program keeps config.ini and
; its log folder; it offers the Windows service (on the components page, or /SERVICE with /S).
; The uninstaller removes the service and what was installed, and leaves the operator's
; settings and data (config.ini, the database, in\, archive\, log\).
; A 64-bit setup, like the program: it also runs where only 64-bit programs run (Wine's wine64).
Target amd64-unicode
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"

Name "csv2sql ${VERSION}"
OutFile "${OUTFILE}"
; A folder an operator's own programs and the service may write to (config.ini and log\ are
; kept beside the program), away from Program Files.
InstallDir "C:\csv2sql"
InstallDirRegKey HKLM "Software\csv2sql" "InstallFolder"
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\csv2sql"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "csv2sql (program, user guide, sample settings)" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${BIN}/csv2sql.exe"
  File "${BIN}/user-guide.html"
  File "${BIN}/datetime-forms.md"
  ; An installation over an older one keeps the operator's settings and database.
  SetOverwrite off
  File "${SAMPLE}/config.ini"
  File "${SAMPLE}/readings.db"
  CreateDirectory "$INSTDIR\archive"
  SetOutPath "$INSTDIR\in"
  File "${SAMPLE}/in/*.csv"
  SetOverwrite on
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\csv2sql.lnk" "$INSTDIR\csv2sql.exe"
  WriteRegStr HKLM "Software\csv2sql" "InstallFolder" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "csv2sql"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Windows service (the automatic imports, started with Windows)" SecService
  nsExec::ExecToLog '"$INSTDIR\csv2sql.exe" --install-service'
  Pop $0
  StrCmp $0 0 +2
    DetailPrint "The service could not be installed (status $0): see the lines above."
SectionEnd

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SERVICE" $R1
  IfErrors +2
    !insertmacro SelectSection ${SecService}
FunctionEnd

Section "Uninstall"
  ; Not installed as a service: the program says so, and nothing else changes.
  nsExec::ExecToLog '"$INSTDIR\csv2sql.exe" --remove-service'
  Pop $0
  Delete "$INSTDIR\csv2sql.exe"
  Delete "$INSTDIR\user-guide.html"
  Delete "$INSTDIR\datetime-forms.md"
  Delete "$INSTDIR\uninstall.exe"
  SetShellVarContext all
  Delete "$SMPROGRAMS\csv2sql.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\csv2sql"
  ; Removed only when empty: the operator's settings and data stay.
  RMDir "$INSTDIR\archive"
  RMDir "$INSTDIR\in"
  RMDir "$INSTDIR"
SectionEnd
