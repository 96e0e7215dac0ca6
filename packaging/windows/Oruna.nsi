; Oruna's Windows installer (NSIS 3), built by the Windows build's target
; windows-installer. A 64-bit installer for the 64-bit programs: $SYSDIR is
; the real (64-bit) system folder and the registry is its 64-bit view, with
; no redirection to undo.
;
; By default it installs for the current user, without administrator
; rights, into %LOCALAPPDATA%\Programs\Oruna (a folder only that user, SYSTEM
; and the administrators can write). For everyone on the computer
; (/ALLUSERS, administrators only) both programs go where Windows lists
; screen savers permanently, the system folder, and the uninstaller into
; %ProgramFiles%\Oruna. Either way Oruna becomes the user's screen saver,
; "Oruna settings" appears in the Start menu, and the uninstaller is
; registered with Windows. /S installs silently.
;
; The uninstaller removes the programs, the Start-menu entry, its registry
; entries and Oruna's texture pictures, resets the screen-saver choice when
; it names Oruna, and keeps the user's settings unless the user ticks their
; removal (a silent uninstall keeps them).
;
; Defined by the build (makensis -D...): ORUNA_VERSION (x.y.z),
; ORUNA_PUBLISHER, ORUNA_COPYRIGHT, ORUNA_FILES (the folder with the signed
; Oruna.scr and Oruna.dll), ORUNA_ICON, ORUNA_OUTFILE and ORUNA_SIGN (the
; command that signs a file in place, or says that it signs nothing).

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Oruna"
!define DESKTOP_KEY "Control Panel\Desktop"
!define START_ENTRY "Oruna settings.lnk"
; SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, on, 0, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_SAVE_AND_TELL 3
; What a process gets when it must be elevated first.
!define ERROR_ELEVATION_REQUIRED 740

Name "Oruna"
OutFile "${ORUNA_OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Oruna"
BrandingText "Oruna ${ORUNA_VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${ORUNA_VERSION}.0"
VIFileVersion "${ORUNA_VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Oruna"
VIAddVersionKey /LANG=1033 "ProductVersion" "${ORUNA_VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${ORUNA_VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Oruna screen saver setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${ORUNA_PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${ORUNA_COPYRIGHT}"

; The installer and the uninstaller it carries are signed as makensis
; writes them.
!finalize '${ORUNA_SIGN} "%1"' = 0
!uninstfinalize '${ORUNA_SIGN} "%1" Uninstall.exe' = 0

!define MUI_ICON "${ORUNA_ICON}"
!define MUI_UNICON "${ORUNA_ICON}"
!define MUI_ABORTWARNING
!define MUI_UNCOMPONENTSPAGE_NODESC

Var AllUsers      ; 1: for everyone on this computer
Var ProgramDir    ; where Oruna.scr and Oruna.dll are
Var RadioJustMe
Var RadioEveryone

Page custom InstallModePage InstallModeLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ---- Shared by the installer and the uninstaller ---------------------------------

; An installation for everyone needs an administrator. Asked from the pages,
; the installer starts itself again with the administrator's rights and
; ends; silent, it ends with ERROR_ELEVATION_REQUIRED.
; (The uninstaller runs from a copy in the temporary folder: the one started
; again is the installed one.)
!macro EnsureAdministrator un program
Function ${un}EnsureAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    Return
  ${EndIf}
  ${If} ${Silent}
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
  ExecShell "runas" "${program}" "/ALLUSERS"
  Quit
FunctionEnd
!macroend
!insertmacro EnsureAdministrator "" "$EXEPATH"
!insertmacro EnsureAdministrator "un." "$INSTDIR\Uninstall.exe"

; ---- Installer -----------------------------------------------------------------

Function .onInit
  StrCpy $AllUsers 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    Call EnsureAdministrator
  ${EndIf}
FunctionEnd

Function InstallModePage
  !insertmacro MUI_HEADER_TEXT "Install Oruna" "Choose who gets the Oruna screen saver."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 0 100% 12u "Only for &me (no administrator rights needed)"
  Pop $RadioJustMe
  ${NSD_CreateRadioButton} 0 18u 100% 12u "For &everyone on this computer (needs administrator rights)"
  Pop $RadioEveryone
  ${NSD_CreateLabel} 0 42u 100% 48u "Oruna becomes your screen saver. Its settings are in the Start menu \
      ($\"Oruna settings$\") and in Windows' screen-saver settings; Escape ends the picture. \
      Windows lists it there for good when it is installed for everyone."
  Pop $0
  ${If} $AllUsers == 1
    ${NSD_Check} $RadioEveryone
  ${Else}
    ${NSD_Check} $RadioJustMe
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function InstallModeLeave
  ${NSD_GetState} $RadioEveryone $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $AllUsers 1
    Call EnsureAdministrator
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
FunctionEnd

Section "Oruna" SectionOruna
  SectionIn RO
  ${If} $AllUsers == 1
    SetShellVarContext all
    StrCpy $ProgramDir $SYSDIR
    StrCpy $INSTDIR "$PROGRAMFILES64\Oruna"
  ${Else}
    SetShellVarContext current
    StrCpy $ProgramDir $INSTDIR
  ${EndIf}

  SetOutPath $ProgramDir
  File "${ORUNA_FILES}/Oruna.scr"
  File "${ORUNA_FILES}/Oruna.dll"
  SetOutPath $INSTDIR
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${START_ENTRY}" "$ProgramDir\Oruna.scr" "/c" "$ProgramDir\Oruna.scr" 0 \
      SW_SHOWNORMAL "" "Choose Oruna's music"

  ; The user's screen saver from now on. Windows has always read this value
  ; as a short path; where a volume keeps no short names the long one is
  ; written, which Windows takes as well.
  GetFullPathName /SHORT $0 "$ProgramDir\Oruna.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $0
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_SAVE_AND_TELL})'

  ; The entry of "Installed apps": HKCU for the current user, HKLM for
  ; everyone (SHCTX follows SetShellVarContext).
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "Oruna"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${ORUNA_VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${ORUNA_PUBLISHER}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$ProgramDir\Oruna.scr,0"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$ProgramDir"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  SectionGetSize ${SectionOruna} $0  ; kilobytes, as EstimatedSize wants
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; ---- Uninstaller ---------------------------------------------------------------

; The installation this uninstaller belongs to: the one for everyone when
; HKLM's entry names it, else the current user's.
Function un.onInit
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINST_KEY}" "UninstallString"
  ${If} $0 == '"$INSTDIR\Uninstall.exe"'
    StrCpy $AllUsers 1
    Call un.EnsureAdministrator
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ReadRegStr $ProgramDir SHCTX "${UNINST_KEY}" "InstallLocation"
  ${If} $ProgramDir == ""
    StrCpy $ProgramDir $INSTDIR
    ${If} $AllUsers == 1
      StrCpy $ProgramDir $SYSDIR
    ${EndIf}
  ${EndIf}
FunctionEnd

; The screen-saver choice goes when it names this Oruna.scr (in its short or
; long form); a choice of another screen saver stays.
Function un.ResetScreenSaverChoice
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 == ""
    Return
  ${EndIf}
  GetFullPathName /SHORT $1 $0
  GetFullPathName /SHORT $2 "$ProgramDir\Oruna.scr"
  ${If} $1 != $2
  ${AndIf} $0 != "$ProgramDir\Oruna.scr"
    Return
  ${EndIf}
  DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, i ${SPIF_SAVE_AND_TELL})'
FunctionEnd

; Oruna's four pictures in a texture folder, and the folder when nothing
; else is left in it.
!macro RemoveTextures folder
  Delete "${folder}\Oruna1.bmp"
  Delete "${folder}\Oruna2.bmp"
  Delete "${folder}\Oruna3.bmp"
  Delete "${folder}\Oruna4.bmp"
  RMDir "${folder}"
!macroend

Section "-un.Oruna"
  Call un.ResetScreenSaverChoice
  Delete "$ProgramDir\Oruna.scr"
  Delete "$ProgramDir\Oruna.dll"
  Delete "$SMPROGRAMS\${START_ENTRY}"
  ; The texture folders are the user's own, whoever installed Oruna.
  SetShellVarContext current
  !insertmacro RemoveTextures "C:\p_orvi"
  !insertmacro RemoveTextures "$LOCALAPPDATA\Oruna\p_orvi"
  RMDir "$LOCALAPPDATA\Oruna"
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${EndIf}
  DeleteRegKey SHCTX "${UNINST_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
  ; Stays where the user's settings file stays in it.
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.Remove my Oruna settings (the music chosen)" SectionSettings
  Delete "$ProgramDir\Oruna.ini"
  SetShellVarContext current
  Delete "$APPDATA\Oruna\Oruna.ini"
  RMDir "$APPDATA\Oruna"
  RMDir "$INSTDIR"
SectionEnd
