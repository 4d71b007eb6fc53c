; Per-user installer of Kestrin (the i686 release build).
; Kestrin writes its own files into its program folder, which a normal user cannot write under
; Program Files, so it installs under the user's local application data without administrator
; rights; Palm Desktop keeps its registrations per user too.
;
; makensis -DVERSION=3.3.0.1220 -DFILES_NSH=<list> -DOUTFILE=<setup.exe> -DICON=<kestrin.ico> kestrin.nsi
; FILES_NSH is written by the build (package.cmake): it defines the macros
; KESTRIN_INSTALL_FILES and KESTRIN_UNINSTALL_FILES for the files that ship.

!ifndef VERSION | FILES_NSH | OUTFILE | ICON
  !error "VERSION, FILES_NSH, OUTFILE and ICON must be defined"
!endif

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS all

!define PRODUCT "Kestrin"
!define PUBLISHER "Orlenta"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrin"
!define PALM_CORE_KEY "Software\U.S. Robotics\Pilot Desktop\Core"
!define UNINSTALLER "uninstall.exe"

Name "${PRODUCT}"
Caption "${PRODUCT} Setup"
UninstallCaption "${PRODUCT} Uninstall"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kestrin"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${PUBLISHER} ${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PUBLISHER} ${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "${FILES_NSH}"

!define MUI_ABORTWARNING
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\kestrin.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ; $SMPROGRAMS and $LOCALAPPDATA of this user, not of all users.
  SetShellVarContext current
  ReadRegStr $0 HKCU "${PALM_CORE_KEY}" "DesktopPath"
  ${If} $0 == ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "Palm Desktop is not registered for this user.$\r$\n$\r$\nKestrin manages the HotSync conduits of Palm Desktop and will not start without it. Install Palm Desktop for this user before starting Kestrin." /SD IDOK
  ${EndIf}
FunctionEnd

Section "Kestrin" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  !insertmacro KESTRIN_INSTALL_FILES
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\Kestrin.lnk" "$INSTDIR\kestrin.exe" "" "$INSTDIR\kestrin.exe" 0 \
    SW_SHOWNORMAL "" "Install and uninstall Palm HotSync conduits"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\kestrin.exe"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

; $0: a backup set's name as orlenta.ini lists it. $1 on return: 1 when it names a file right in
; the program folder (no folder part, no drive), so deleting it cannot reach outside.
Function un.IsPlainName
  StrCpy $1 1
  ${If} $0 == ""
  ${OrIf} $0 == "."
  ${OrIf} $0 == ".."
    StrCpy $1 0
    Return
  ${EndIf}
  StrCpy $2 0
  ${Do}
    StrCpy $3 $0 1 $2
    ${If} $3 == ""
      ${Break}
    ${EndIf}
    ${If} $3 == "\"
    ${OrIf} $3 == "/"
    ${OrIf} $3 == ":"
      StrCpy $1 0
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
FunctionEnd

; The user's own files in the program folder: settings, removed-conduit store, history and its
; page, the conduit report, backup sets (the proposed names and those orlenta.ini lists), the
; load marker and skip list, and leftovers of an interrupted safe write (*.kestrin-<n>.tmp).
Function un.RemoveUserFiles
  ReadINIStr $4 "$INSTDIR\orlenta.ini" "KestrinFile" "Count"
  IntOp $4 $4 + 0
  ${For} $5 1 $4
    ReadINIStr $0 "$INSTDIR\orlenta.ini" "KestrinFile" "KestrinSet$5"
    Call un.IsPlainName
    ${If} $1 == 1
      Delete "$INSTDIR\$0"
      Delete "$INSTDIR\$0.kestrin-*.tmp"
    ${EndIf}
  ${Next}
  Delete "$INSTDIR\kestrinset*.bak"
  Delete "$INSTDIR\orlenta.ini"
  Delete "$INSTDIR\KestrinRes.dat"
  Delete "$INSTDIR\kestrinlog.dat"
  Delete "$INSTDIR\kestrinlog.html"
  Delete "$INSTDIR\condrpt.html"
  Delete "$INSTDIR\condcheck.html"
  Delete "$INSTDIR\KestrinLoad.dat"
  Delete "$INSTDIR\KestrinSkip.dat"
  Delete "$INSTDIR\*.kestrin-*.tmp"
FunctionEnd

Section "Uninstall"
  ; A running program cannot be deleted: stop before anything is gone, or the user keeps an
  ; orphaned program without an uninstall entry.
  Delete "$INSTDIR\kestrin.exe"
  ${If} ${FileExists} "$INSTDIR\kestrin.exe"
    MessageBox MB_OK|MB_ICONSTOP "Kestrin is running. Close it and run the uninstaller again." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  !insertmacro KESTRIN_UNINSTALL_FILES
  Delete "$INSTDIR\${UNINSTALLER}"
  Delete "$SMPROGRAMS\Kestrin.lnk"
  DeleteRegKey HKCU "${UNINST_KEY}"

  ${If} ${FileExists} "$INSTDIR\orlenta.ini"
  ${OrIf} ${FileExists} "$INSTDIR\KestrinRes.dat"
  ${OrIf} ${FileExists} "$INSTDIR\kestrinlog.dat"
  ${OrIf} ${FileExists} "$INSTDIR\kestrinlog.html"
  ${OrIf} ${FileExists} "$INSTDIR\condrpt.html"
  ${OrIf} ${FileExists} "$INSTDIR\condcheck.html"
  ${OrIf} ${FileExists} "$INSTDIR\*.bak"
    ; Silent uninstalls keep them: an upgrade or a script must not lose a user's history.
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also remove your Kestrin settings, install history, backup sets and list of removed conduits from $INSTDIR?$\r$\n$\r$\nChoose No to keep them for a later installation." /SD IDNO IDNO keep
    Call un.RemoveUserFiles
    keep:
  ${EndIf}
  ; Only when empty: files the user keeps keep their folder.
  RMDir "$INSTDIR"
SectionEnd
