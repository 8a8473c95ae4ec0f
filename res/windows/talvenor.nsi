; The Windows installer: a per-user install (no administrator), a Start-menu entry, an optional
; start of monitoring at log-on, and an uninstaller; Japanese and English pages.
; Built by scripts/windows-build.sh:
;   makensis -DVERSION=1.0.0 -DEXE=talvenor.exe -DREADME=README.md -DLICENSE=LICENSE -DOUTFILE=... talvenor.nsi
; Silent: setup /S [/AUTOSTART] [/D=folder]; the uninstaller: uninstall.exe /S.
; 64-bit, like the program: Windows 10 and 11 x64 only, and Wine runs it without its 32-bit half.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define APPNAME "Talvenor"
!define MAKER "QUORVATH"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APPNAME}"

Name "${APPNAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APPNAME}"
InstallDirRegKey HKCU "Software\${MAKER}\${APPNAME}" "InstallDir"
ShowInstDetails show

!define MUI_ABORTWARNING
; No description pane: the list gets the width its Japanese lines need.
!define MUI_COMPONENTSPAGE_NODESC
; The uninstaller speaks the language the installer was run in.
!define MUI_LANGDLL_REGISTRY_ROOT HKCU
!define MUI_LANGDLL_REGISTRY_KEY "Software\${MAKER}\${APPNAME}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used when the user's is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString SecProgram ${LANG_ENGLISH} "Talvenor"
LangString SecProgram ${LANG_JAPANESE} "Talvenor"
LangString SecLogon ${LANG_ENGLISH} "Start monitoring at log-on"
LangString SecLogon ${LANG_JAPANESE} "ログオン時に監視を開始する"

Section "!$(SecProgram)" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=talvenor.exe" "${EXE}"
  File "/oname=README.md" "${README}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  ; Help looks for its page in the folder the program starts in, which is this one.
  SetOutPath "$INSTDIR\help"
  File "/oname=main.htm" "${HELP}\main.htm"
  File "/oname=main_en.htm" "${HELP}\main_en.htm"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The program keeps its log and snapshot in its current folder: the shortcuts start it in
  ; the installation folder, which is the user's own.
  CreateDirectory "$SMPROGRAMS\${APPNAME}"
  CreateShortCut "$SMPROGRAMS\${APPNAME}\${APPNAME}.lnk" "$INSTDIR\talvenor.exe"
  WriteRegStr HKCU "Software\${MAKER}\${APPNAME}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APPNAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\talvenor.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; A shortcut in the Startup folder rather than a Run value: it can name the folder to start in.
Section /o "$(SecLogon)" SecAutoStart
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMSTARTUP\${APPNAME}.lnk" "$INSTDIR\talvenor.exe" "/S"
SectionEnd

Function .onInit
  !insertmacro MUI_LANGDLL_DISPLAY
  ; /AUTOSTART chooses the log-on start where no page is shown (/S).
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AUTOSTART" $R1
  IfErrors +2
  SectionSetFlags ${SecAutoStart} ${SF_SELECTED}
FunctionEnd

Section "Uninstall"
  Delete "$SMSTARTUP\${APPNAME}.lnk"
  Delete "$SMPROGRAMS\${APPNAME}\${APPNAME}.lnk"
  RMDir "$SMPROGRAMS\${APPNAME}"
  Delete "$INSTDIR\talvenor.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\help\main.htm"
  Delete "$INSTDIR\help\main_en.htm"
  RMDir "$INSTDIR\help"
  Delete "$INSTDIR\uninstall.exe"
  ; The log and snapshot the program made here are the user's record: kept, and so is the
  ; folder that holds them.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\${MAKER}\${APPNAME}"
SectionEnd

Function un.onInit
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd
