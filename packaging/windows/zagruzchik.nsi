; The Windows installer: the window, the console programs and an uninstaller, for all users.
; makensis -DVERSION=1.0.N -DBUILD=<folder of the .exe files> -DICON=<.ico> -DOUTFILE=<installer>
;   zagruzchik.nsi
; Silent: setup.exe /S [/PATH]; uninstall.exe /S.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"
!include "StrFunc.nsh"
${UnStrRep}

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zagruzchik"
!define ENVIRONMENT "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

Name "Загрузчик"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Zagruzchik"
BrandingText "Загрузчик ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1049 "ProductName" "Загрузчик"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка программы «Загрузчик»"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "CompanyName" "Zagruzchik"
VIAddVersionKey /LANG=1049 "LegalCopyright" "Zagruzchik"

; The application's icon, for the installer and the uninstaller too.
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Загрузчик" Main
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${BUILD}\zagruzchik.exe"
  File "${BUILD}\zagruzchik-flash.exe"
  File "${BUILD}\zagruzchik-h2b.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Загрузчик.lnk" "$INSTDIR\zagruzchik.exe"
  WriteRegStr HKLM "${KEY}" "DisplayName" "Загрузчик"
  WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${KEY}" "Publisher" "Zagruzchik"
  WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\zagruzchik.exe,0"
  WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
  SectionGetSize ${Main} $0
  WriteRegDWORD HKLM "${KEY}" "EstimatedSize" $0
SectionEnd

; Off unless chosen: the console programs' folder on every user's PATH.
Section /o "Консольные программы в PATH" OnPath
  ReadRegStr $0 HKLM "${ENVIRONMENT}" "Path"
  ${If} $0 == ""
    StrCpy $0 "$INSTDIR"
  ${Else}
    StrCpy $0 "$0;$INSTDIR"
  ${EndIf}
  WriteRegExpandStr HKLM "${ENVIRONMENT}" "Path" $0
  WriteRegDWORD HKLM "${KEY}" "OnPath" 1
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=1000
SectionEnd

; /PATH on the command line chooses the PATH section, also for a silent install (/S).
Function .onInit
  SetShellVarContext all
  SetRegView 64
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/PATH" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${OnPath}
  ${EndIf}
FunctionEnd

; The user's settings (%APPDATA%\zagruzchik) stay: they are the user's, not the program's.
Section "Uninstall"
  ReadRegDWORD $1 HKLM "${KEY}" "OnPath"
  ${If} $1 == 1
    ReadRegStr $0 HKLM "${ENVIRONMENT}" "Path"
    ${UnStrRep} $0 $0 ";$INSTDIR" ""
    ${UnStrRep} $0 $0 "$INSTDIR" ""
    WriteRegExpandStr HKLM "${ENVIRONMENT}" "Path" $0
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=1000
  ${EndIf}
  Delete "$SMPROGRAMS\Загрузчик.lnk"
  Delete "$INSTDIR\zagruzchik.exe"
  Delete "$INSTDIR\zagruzchik-flash.exe"
  Delete "$INSTDIR\zagruzchik-h2b.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${KEY}"
SectionEnd
