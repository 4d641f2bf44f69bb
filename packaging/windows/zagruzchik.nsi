; The Windows installer: the window, the console programs and an uninstaller, for all users
; (Program Files, administrator rights) or, with /CurrentUser or without the rights, for the
; user alone (the user's local programs folder).
; makensis -DVERSION=1.0.N -DBUILD=<folder of the .exe files> -DTOOLS=<folder of
;   zagruzchik-path.exe> -DICON=<.ico> -DOUTFILE=<installer> zagruzchik.nsi
; Silent: setup.exe /S [/PATH] [/CurrentUser]; uninstall.exe /S.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; Administrators are asked for their rights; a standard user installs for himself.
RequestExecutionLevel highest
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zagruzchik"
!define COPYRIGHT "© 2026 Zagruzchik developers. MIT License"

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
VIAddVersionKey /LANG=1049 "LegalCopyright" "${COPYRIGHT}"

; "machine" or "user": whose PATH, for zagruzchik-path.
Var Scope

; The application's icon, for the installer and the uninstaller too.
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_SMALLDESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

; PATH is edited by a program of ours: NSIS's own strings end at 1024 characters, and a longer
; PATH read through them comes back empty.
!macro EditPath ACTION
  InitPluginsDir
  File "/oname=$PLUGINSDIR\zagruzchik-path.exe" "${TOOLS}\zagruzchik-path.exe"
  nsExec::Exec '"$PLUGINSDIR\zagruzchik-path.exe" ${ACTION} $Scope "$INSTDIR"'
  Pop $0
!macroend

Section "Загрузчик" Main
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${BUILD}\zagruzchik.exe"
  File "${BUILD}\zagruzchik-flash.exe"
  File "${BUILD}\zagruzchik-h2b.exe"
  File "${BUILD}\README.txt"
  File "${BUILD}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The window starts in the user's documents, not in its own folder, where nobody may write.
  SetOutPath "$DOCUMENTS"
  CreateShortcut "$SMPROGRAMS\Загрузчик.lnk" "$INSTDIR\zagruzchik.exe"
  SetOutPath "$INSTDIR"
  WriteRegStr SHCTX "${KEY}" "DisplayName" "Загрузчик"
  WriteRegStr SHCTX "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${KEY}" "Publisher" "Zagruzchik"
  WriteRegStr SHCTX "${KEY}" "DisplayIcon" "$INSTDIR\zagruzchik.exe,0"
  WriteRegStr SHCTX "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${KEY}" "NoRepair" 1
  SectionGetSize ${Main} $0
  WriteRegDWORD SHCTX "${KEY}" "EstimatedSize" $0
SectionEnd

; Off unless chosen. Only an entry this installer added is taken off again by the uninstaller.
Section /o "Добавить в PATH" OnPath
  !insertmacro EditPath add
  ${If} $0 == 0
    WriteRegDWORD SHCTX "${KEY}" "OnPath" 1
  ${ElseIf} $0 != 2
    DetailPrint "PATH не изменён: его не удалось прочитать или записать"
    SetErrors
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${Main} \
    "Окно «Загрузчик», консольные программы zagruzchik-flash и zagruzchik-h2b, ярлык в меню «Пуск» и программа удаления."
  !insertmacro MUI_DESCRIPTION_TEXT ${OnPath} \
    "Папка программы добавляется в PATH: zagruzchik-flash и zagruzchik-h2b запускаются из любой командной строки."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; All users (the rights are there) or, with /CurrentUser or without the rights, this user.
; /PATH chooses the PATH section, also for a silent install (/S).
Function .onInit
  SetRegView 64
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/CurrentUser" $R1
  ${If} ${Errors}
    UserInfo::GetAccountType
    Pop $R1
  ${Else}
    StrCpy $R1 "User"
  ${EndIf}
  ${If} $R1 == "Admin"
    SetShellVarContext all
    StrCpy $Scope "machine"
  ${Else}
    SetShellVarContext current
    StrCpy $Scope "user"
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Zagruzchik"
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/PATH" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${OnPath}
  ${EndIf}
FunctionEnd

; The uninstaller belongs to the install that wrote it: for this user when this user's list of
; programs names its folder.
Function un.onInit
  SetRegView 64
  ReadRegStr $R0 HKCU "${KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    SetShellVarContext current
    StrCpy $Scope "user"
  ${Else}
    SetShellVarContext all
    StrCpy $Scope "machine"
  ${EndIf}
FunctionEnd

; The user's settings (%APPDATA%\zagruzchik) stay: they are the user's, not the program's.
Section "Uninstall"
  ReadRegDWORD $1 SHCTX "${KEY}" "OnPath"
  ${If} $1 == 1
    !insertmacro EditPath remove
  ${EndIf}
  Delete "$SMPROGRAMS\Загрузчик.lnk"
  Delete "$INSTDIR\zagruzchik.exe"
  Delete "$INSTDIR\zagruzchik-flash.exe"
  Delete "$INSTDIR\zagruzchik-h2b.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${KEY}"
SectionEnd
