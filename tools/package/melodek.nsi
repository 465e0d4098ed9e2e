; Melodek's setup, built by scripts/package.sh:
;   makensis -DVERSION=x.y.z -DBITS=32|64 -DSTAGE=<files> -DICON=<.ico> -DOUTFILE=<exe> melodek.nsi
; STAGE holds what the zip holds (make_zip.py --stage).
;
; Setup command line:
;   /S             silent
;   /ALLUSERS      for all users: Program Files, keys under HKLM (needs
;                  administrator rights; a silent setup without them ends
;                  with exit code 740)
;   /CURRENTUSER   for the current user only (the default): no administrator
;                  rights, %LOCALAPPDATA%\Programs\Melodek, keys under HKCU
;   /AUTOSTART     start Melodek when Windows starts (the per-user Run entry)
;   /D=<folder>    the target folder (last, unquoted, as for every NSIS setup)
; Without /ALLUSERS or /CURRENTUSER a setup over an earlier install keeps its
; mode and folder. A running Melodek is asked to exit (WM_CLOSE to its main
; window, which works like Exit) before its files are replaced; settings and
; plug-ins the user added stay.
;
; Uninstaller command line: /S silent; /REMOVESETTINGS also deletes the
; settings (beside the program and in %APPDATA%\Melodek). Without it the
; settings stay, and so do plug-ins the user added.
;
; Registered, without taking over any file type: the Start menu shortcut; the
; uninstall entry; Applications\melodek.exe (supported types, verbs); the
; ProgIDs Melodek.AudioFile and Melodek.PlayList listed in each type's
; OpenWithProgids; the Default Programs capabilities (RegisteredApplications);
; the Explorer verbs "Play with Melodek" and "Add to Melodek's list" on those
; types (SystemFileAssociations) and on folders.

!if ${BITS} == 64
  Target amd64-unicode
!else
  Unicode true
!endif
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user
Name "Melodek"
OutFile "${OUTFILE}"
BrandingText "Melodek ${VERSION} (${BITS}-bit)"
VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "Melodek"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "Melodek ${VERSION} setup (${BITS}-bit)"
VIAddVersionKey CompanyName "The Melodek authors"
VIAddVersionKey LegalCopyright "The Melodek authors, MIT License"

!addincludedir "${__FILEDIR__}"
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh
!include WinMessages.nsh
!include file_types.nsh

!define EXE "melodek.exe"
!define PRODUCT_KEY "Software\Melodek"
!define CAPABILITIES_KEY "Software\Melodek\Capabilities"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Melodek"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define CLASSES "Software\Classes"
!define PUBLISHER "The Melodek authors"
!define PLAY_VERB "Play with Melodek"
!define ADD_VERB "Add to Melodek's list"

Var AllUsers        ; 1: all users (HKLM, Program Files); 0: the current user
Var AutoStart       ; 1: write the Run entry
Var GivenFolder     ; the folder of /D=, or empty
Var OptionsAllUsersBox
Var OptionsAutoStartBox
Var RemoveSettings  ; uninstaller: 1 deletes the settings
Var RemoveSettingsBox

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
Page custom OptionsPage OptionsLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start Melodek"
!insertmacro MUI_PAGE_FINISH
UninstPage custom un.SettingsPage un.SettingsLeave
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; --- shared by setup and uninstaller ---------------------------------------

; Asks a running Melodek to exit through its own main window (a hidden
; dialog whose text is "Melodek"), then waits until its program file can be
; written: the window goes before the process has saved and ended.
!macro CLOSE_MELODEK un
Function ${un}CloseMelodek
  StrCpy $R9 0
  ${Do}
    FindWindow $R0 "#32770" "Melodek"
    ${If} $R0 == 0
      ${Break}
    ${EndIf}
    ${If} $R9 == 0
      DetailPrint "Asking the running Melodek to exit"
    ${EndIf}
    SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
    Sleep 100
    IntOp $R9 $R9 + 1
  ${LoopUntil} $R9 >= 200
  StrCpy $R9 0
  ${DoWhile} ${FileExists} "$INSTDIR\${EXE}"
    ClearErrors
    FileOpen $R1 "$INSTDIR\${EXE}" a
    ${IfNot} ${Errors}
      FileClose $R1
      ${Break}
    ${EndIf}
    Sleep 100
    IntOp $R9 $R9 + 1
  ${LoopUntil} $R9 >= 200
FunctionEnd
!macroend
!insertmacro CLOSE_MELODEK ""
!insertmacro CLOSE_MELODEK "un."

; 1 in $R0 when the process holds administrator rights (elevated).
!macro IS_ADMIN un
Function ${un}IsAdmin
  UserInfo::GetAccountType
  Pop $R0
  ${If} $R0 == "Admin"
    StrCpy $R0 1
  ${Else}
    StrCpy $R0 0
  ${EndIf}
FunctionEnd
!macroend
!insertmacro IS_ADMIN ""
!insertmacro IS_ADMIN "un."

; --- setup -------------------------------------------------------------------

; The registry context, the Start menu and the default folder of the mode.
Function ApplyMode
  ${If} $AllUsers == 1
    SetShellVarContext all
    ReadRegStr $R0 HKLM "${PRODUCT_KEY}" "InstallDir"
    StrCpy $R1 "$PROGRAMFILES\Melodek"
  ${Else}
    SetShellVarContext current
    ReadRegStr $R0 HKCU "${PRODUCT_KEY}" "InstallDir"
    StrCpy $R1 "$LOCALAPPDATA\Programs\Melodek"
  ${EndIf}
  ${If} $GivenFolder != ""
    StrCpy $INSTDIR $GivenFolder
  ${ElseIf} $R0 != ""
    StrCpy $INSTDIR $R0
  ${Else}
    StrCpy $INSTDIR $R1
  ${EndIf}
FunctionEnd

Function .onInit
  StrCpy $GivenFolder $INSTDIR
  ${GetParameters} $R2
  ; An earlier install for the current user wins over one for all users.
  StrCpy $AllUsers 0
  ReadRegStr $R0 HKCU "${PRODUCT_KEY}" "InstallDir"
  ReadRegStr $R1 HKLM "${PRODUCT_KEY}" "InstallDir"
  ${If} $R0 == ""
  ${AndIf} $R1 != ""
    StrCpy $AllUsers 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R2 "/ALLUSERS" $R3
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R2 "/CURRENTUSER" $R3
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
  ${EndIf}
  ; Starting with Windows stays as it was unless asked for.
  StrCpy $AutoStart 0
  ReadRegStr $R3 HKCU "${RUN_KEY}" "Melodek"
  ${If} $R3 != ""
    StrCpy $AutoStart 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R2 "/AUTOSTART" $R3
  ${IfNot} ${Errors}
    StrCpy $AutoStart 1
  ${EndIf}
  ${If} $AllUsers == 1
  ${AndIf} ${Silent}
    Call IsAdmin
    ${If} $R0 != 1
      SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
      Quit
    ${EndIf}
  ${EndIf}
  Call ApplyMode
FunctionEnd

Function OptionsPage
  !insertmacro MUI_HEADER_TEXT "Options" "Choose who uses Melodek and whether it starts with Windows."
  nsDialogs::Create 1018
  Pop $R0
  ${NSD_CreateRadioButton} 0 0 100% 12u "Install just for me (no administrator rights needed)"
  Pop $R1
  ${NSD_CreateRadioButton} 0 16u 100% 12u "Install for all users of this computer (needs administrator rights)"
  Pop $OptionsAllUsersBox
  ${If} $AllUsers == 1
    ${NSD_Check} $OptionsAllUsersBox
  ${Else}
    ${NSD_Check} $R1
  ${EndIf}
  ${NSD_CreateCheckBox} 0 40u 100% 12u "Start Melodek when Windows starts"
  Pop $OptionsAutoStartBox
  ${If} $AutoStart == 1
    ${NSD_Check} $OptionsAutoStartBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function OptionsLeave
  ${NSD_GetState} $OptionsAutoStartBox $R0
  ${If} $R0 == ${BST_CHECKED}
    StrCpy $AutoStart 1
  ${Else}
    StrCpy $AutoStart 0
  ${EndIf}
  ${NSD_GetState} $OptionsAllUsersBox $R0
  ${If} $R0 == ${BST_CHECKED}
    Call IsAdmin
    ${If} $R0 != 1
      ; Started again with administrator rights; this copy ends.
      StrCpy $R1 "/ALLUSERS"
      ${If} $AutoStart == 1
        StrCpy $R1 "$R1 /AUTOSTART"
      ${EndIf}
      ClearErrors
      ExecShell "runas" "$EXEPATH" $R1
      ${If} ${Errors}
        MessageBox MB_ICONEXCLAMATION "Installing for all users needs administrator rights."
        Abort
      ${EndIf}
      Quit
    ${EndIf}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call ApplyMode
FunctionEnd

!macro REGISTER_VERBS key
  WriteRegStr SHCTX "${key}\shell\Melodek.Play" "" "${PLAY_VERB}"
  WriteRegStr SHCTX "${key}\shell\Melodek.Play" "Icon" "$INSTDIR\${EXE},0"
  WriteRegStr SHCTX "${key}\shell\Melodek.Play" "MultiSelectModel" "Player"
  WriteRegStr SHCTX "${key}\shell\Melodek.Play\command" "" '"$INSTDIR\${EXE}" "%1"'
  WriteRegStr SHCTX "${key}\shell\Melodek.Add" "" "${ADD_VERB}"
  WriteRegStr SHCTX "${key}\shell\Melodek.Add" "Icon" "$INSTDIR\${EXE},0"
  WriteRegStr SHCTX "${key}\shell\Melodek.Add" "MultiSelectModel" "Player"
  WriteRegStr SHCTX "${key}\shell\Melodek.Add\command" "" '"$INSTDIR\${EXE}" /add "%1"'
!macroend

!macro REGISTER_PROGID progid description
  WriteRegStr SHCTX "${CLASSES}\${progid}" "" "${description}"
  WriteRegStr SHCTX "${CLASSES}\${progid}\DefaultIcon" "" "$INSTDIR\${EXE},0"
  WriteRegStr SHCTX "${CLASSES}\${progid}\shell" "" "open"
  WriteRegStr SHCTX "${CLASSES}\${progid}\shell\open" "" "${PLAY_VERB}"
  WriteRegStr SHCTX "${CLASSES}\${progid}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'
  WriteRegStr SHCTX "${CLASSES}\${progid}\shell\Melodek.Add" "" "${ADD_VERB}"
  WriteRegStr SHCTX "${CLASSES}\${progid}\shell\Melodek.Add\command" "" '"$INSTDIR\${EXE}" /add "%1"'
!macroend

; One type: offered in "Open with" and Default Programs, verbs in Explorer;
; the type's own default program is left alone.
!macro REGISTER_TYPE ext progid
  WriteRegNone SHCTX "${CLASSES}\${ext}\OpenWithProgids" "${progid}"
  WriteRegStr SHCTX "${CLASSES}\Applications\${EXE}\SupportedTypes" "${ext}" ""
  WriteRegStr SHCTX "${CAPABILITIES_KEY}\FileAssociations" "${ext}" "${progid}"
  !insertmacro REGISTER_VERBS "${CLASSES}\SystemFileAssociations\${ext}"
!macroend

Function Register
  WriteRegStr SHCTX "${PRODUCT_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr SHCTX "${PRODUCT_KEY}" "Version" "${VERSION}"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Melodek"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $R0

  WriteRegStr SHCTX "${CLASSES}\Applications\${EXE}" "FriendlyAppName" "Melodek"
  WriteRegStr SHCTX "${CLASSES}\Applications\${EXE}\DefaultIcon" "" "$INSTDIR\${EXE},0"
  WriteRegStr SHCTX "${CLASSES}\Applications\${EXE}\shell\open" "" "${PLAY_VERB}"
  WriteRegStr SHCTX "${CLASSES}\Applications\${EXE}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'
  WriteRegStr SHCTX "${CLASSES}\Applications\${EXE}\shell\Melodek.Add" "" "${ADD_VERB}"
  WriteRegStr SHCTX "${CLASSES}\Applications\${EXE}\shell\Melodek.Add\command" "" '"$INSTDIR\${EXE}" /add "%1"'
  !insertmacro REGISTER_PROGID Melodek.AudioFile "Audio file"
  !insertmacro REGISTER_PROGID Melodek.PlayList "Play list"
  !insertmacro MELODEK_FILE_TYPES REGISTER_TYPE
  !insertmacro REGISTER_VERBS "${CLASSES}\Directory"

  WriteRegStr SHCTX "${CAPABILITIES_KEY}" "ApplicationName" "Melodek"
  WriteRegStr SHCTX "${CAPABILITIES_KEY}" "ApplicationDescription" "A small audio player in the notification area."
  WriteRegStr SHCTX "${CAPABILITIES_KEY}" "ApplicationIcon" "$INSTDIR\${EXE},0"
  WriteRegStr SHCTX "Software\RegisteredApplications" "Melodek" "${CAPABILITIES_KEY}"

  ; SHCNE_ASSOCCHANGED: Explorer reads the verbs and "Open with" again.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
FunctionEnd

Section "Melodek"
  SetOutPath "$INSTDIR"
  Call CloseMelodek
  File "${STAGE}\${EXE}"
  File "${STAGE}\default.wav"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE"
  SetOutPath "$INSTDIR\Plugins"
  File "${STAGE}\Plugins\in_wave.dll"
  File "${STAGE}\Plugins\in_mf.dll"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Melodek.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  Call Register
  ${If} $AutoStart == 1
    WriteRegStr HKCU "${RUN_KEY}" "Melodek" '"$INSTDIR\${EXE}"'
  ${Else}
    DeleteRegValue HKCU "${RUN_KEY}" "Melodek"
  ${EndIf}
SectionEnd

; --- uninstaller -------------------------------------------------------------

Function un.onInit
  ; Installed for all users when the machine-wide record names this folder.
  ReadRegStr $R0 HKLM "${PRODUCT_KEY}" "InstallDir"
  ${If} $R0 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
    Call un.IsAdmin
    ${If} $R0 != 1
      ${If} ${Silent}
        SetErrorLevel 740
        Quit
      ${EndIf}
      ClearErrors
      ExecShell "runas" "$EXEPATH" "_?=$INSTDIR"
      ${IfNot} ${Errors}
        Quit
      ${EndIf}
      MessageBox MB_ICONEXCLAMATION "Removing Melodek for all users needs administrator rights."
      Quit
    ${EndIf}
  ${Else}
    StrCpy $AllUsers 0
    SetShellVarContext current
  ${EndIf}
  StrCpy $RemoveSettings 0
  ${GetParameters} $R1
  ClearErrors
  ${GetOptions} $R1 "/REMOVESETTINGS" $R2
  ${IfNot} ${Errors}
    StrCpy $RemoveSettings 1
  ${EndIf}
FunctionEnd

Function un.SettingsPage
  !insertmacro MUI_HEADER_TEXT "Remove Melodek" "Melodek will be removed from $INSTDIR."
  nsDialogs::Create 1018
  Pop $R0
  ${NSD_CreateLabel} 0 0 100% 24u "Your play lists, equalizer presets, hot keys and other settings stay for a later install, unless you tick the box."
  Pop $R0
  ${NSD_CreateCheckBox} 0 30u 100% 12u "Remove my settings"
  Pop $RemoveSettingsBox
  nsDialogs::Show
FunctionEnd

Function un.SettingsLeave
  ${NSD_GetState} $RemoveSettingsBox $R0
  ${If} $R0 == ${BST_CHECKED}
    StrCpy $RemoveSettings 1
  ${EndIf}
FunctionEnd

!macro UNREGISTER_VERBS key
  DeleteRegKey SHCTX "${key}\shell\Melodek.Play"
  DeleteRegKey SHCTX "${key}\shell\Melodek.Add"
  DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "${key}\shell"
  DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "${key}"
!macroend

!macro UNREGISTER_TYPE ext progid
  DeleteRegValue SHCTX "${CLASSES}\${ext}\OpenWithProgids" "${progid}"
  DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "${CLASSES}\${ext}\OpenWithProgids"
  DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "${CLASSES}\${ext}"
  !insertmacro UNREGISTER_VERBS "${CLASSES}\SystemFileAssociations\${ext}"
!macroend

Section "Uninstall"
  Call un.CloseMelodek
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\default.wav"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\Plugins\in_wave.dll"
  Delete "$INSTDIR\Plugins\in_mf.dll"
  RMDir "$INSTDIR\Plugins"  ; only when empty: plug-ins the user added stay
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Melodek.lnk"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  DeleteRegKey SHCTX "${CLASSES}\Applications\${EXE}"
  DeleteRegKey SHCTX "${CLASSES}\Melodek.AudioFile"
  DeleteRegKey SHCTX "${CLASSES}\Melodek.PlayList"
  !insertmacro MELODEK_FILE_TYPES UNREGISTER_TYPE
  !insertmacro UNREGISTER_VERBS "${CLASSES}\Directory"
  DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "${CLASSES}\SystemFileAssociations"
  DeleteRegValue SHCTX "Software\RegisteredApplications" "Melodek"
  DeleteRegKey SHCTX "${PRODUCT_KEY}"
  DeleteRegValue HKCU "${RUN_KEY}" "Melodek"

  ${If} $RemoveSettings == 1
    Delete "$INSTDIR\melodek.mlcfg"
    Delete "$INSTDIR\melodek.mlcfg.*"
    Delete "$INSTDIR\melodek.cfg"
    ; The user's own folder, also for an install for all users.
    SetShellVarContext current
    Delete "$APPDATA\Melodek\melodek.mlcfg"
    Delete "$APPDATA\Melodek\melodek.mlcfg.*"
    Delete "$APPDATA\Melodek\melodek-*.mlcfg"
    Delete "$APPDATA\Melodek\melodek-*.mlcfg.*"
    RMDir "$APPDATA\Melodek"
  ${EndIf}
  RMDir "$INSTDIR"  ; only when empty: kept settings keep the folder
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
