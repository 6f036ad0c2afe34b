; Tavine's setup program for 64-bit Windows: the VST3 plug-in, the VST2 plug-in and the
; standalone program, each a component the user can leave out, and an uninstaller that removes
; exactly what was installed.
;
; Built by the Windows build (cmake --build build-windows --target tavine_windows_installer),
; which passes:
;   VERSION   the plug-in's version, three numbers (1.1.0)
;   STAGE     the folder with VST3\Tavine.vst3, VST2\Tavine.dll, Standalone\Tavine.exe and
;             LICENSE.txt, as the zip holds them
;   OUTFILE   the setup program to write
;
; Command line (the uninstaller takes /S alone):
;   /S                         silent: no pages and no questions
;   /COMPONENTS=VST3,VST2,Standalone
;                              what to install, any of the three (default: all)
;   /VST2DIR=C:\path           the folder for Tavine.dll (default: the one chosen last time,
;                              else C:\Program Files\VSTPlugins)
; Exit codes: 0 installed; 1 cancelled by the user; 2 not installed (an unknown option,
; no administrator rights, a file that could not be written); 3 not installed
; because a host holds one of Tavine's files open.
;
; Nothing here depends on the time it is built: files are stored without their dates, so one
; commit gives one setup program.

; A 64-bit program, like what it installs: on 32-bit Windows, where the plug-ins could not
; load, Windows itself refuses to start it, before anything is changed.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
SetDateSave off
; A file that cannot be written stops the installation: skipping it would leave a mix of two
; versions behind a report of success.
AllowSkipFiles off

!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include Sections.nsh
!include MUI2.nsh

!define PRODUCT "Tavine"
!define PUBLISHER "wemb"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SETTINGS_KEY "Software\${PUBLISHER}\${PRODUCT}"
!define UNINSTALLER "Uninstall.exe"
!define BUNDLE "Tavine.vst3"
!define BUNDLE_BINARY "Contents\x86_64-win\Tavine.vst3"

; Exit codes, as the header says.
!define EXIT_FAILED 2
!define EXIT_FILES_IN_USE 3

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
; The standalone program and the uninstaller; the plug-ins go where hosts look for them.
InstallDir "$PROGRAMFILES64\${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "2026 ${PUBLISHER}, GPL-3.0-or-later"

Var Vst2Dir              ; where Tavine.dll goes
Var PreviousVst2Dir      ; where the last installation put it, if it did
Var PreviousComponents   ; what the last installation installed: "VST3 VST2 Standalone" or part
Var HadVst3              ; 1 when the last installation installed the VST3 plug-in
Var HadStandalone        ; 1 when it installed the standalone program
Var Components           ; what this one installs, in the same form
Var InUse                ; the files a running program holds, one a line

; --- Pages ---------------------------------------------------------------------------------------

!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING

; Each page names itself in the window's title, as Windows' own wizards do, for screen readers
; and for anyone switching windows. TitledPage defines the page's show function.
!macro TitledPage NAME CAPTION
    Function ${NAME}
        SendMessage $HWNDPARENT ${WM_SETTEXT} 0 "STR:${CAPTION}"
    FunctionEnd
    !define MUI_PAGE_CUSTOMFUNCTION_SHOW ${NAME}
!macroend
!define SETUP_TITLE "${PRODUCT} ${VERSION} Setup"
!define UNINSTALL_TITLE "${PRODUCT} ${VERSION} Uninstall"

!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION}, a stereo enhancer, as a VST3 and a VST2 plug-in for 64-bit hosts, and as a program of its own.$\r$\n$\r$\nQuit your audio software before you go on: a host that has ${PRODUCT} loaded keeps its files from being replaced."
!insertmacro TitledPage ShowWelcome "${SETUP_TITLE}: Welcome"
!insertmacro MUI_PAGE_WELCOME

; The GPL asks nothing of someone who only uses the program, so there is nothing to accept.
!define MUI_LICENSEPAGE_TEXT_BOTTOM "${PRODUCT} is free software: you may use it for any purpose. The licence sets the terms for copying, changing and passing it on."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro TitledPage ShowLicence "${SETUP_TITLE}: Licence"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"

!define MUI_COMPONENTSPAGE_SMALLDESC
!insertmacro TitledPage ShowComponents "${SETUP_TITLE}: Components"
!insertmacro MUI_PAGE_COMPONENTS

!define MUI_PAGE_HEADER_TEXT "VST2 Folder"
!define MUI_PAGE_HEADER_SUBTEXT "Choose the folder your hosts scan for VST2 plug-ins."
!define MUI_DIRECTORYPAGE_TEXT_TOP "VST2 has no standard folder: every host keeps its own list of folders to scan, shown in its plug-in settings. Choose one of those. C:\Program Files\VSTPlugins is the most common; C:\Program Files\Steinberg\VSTPlugins is another.$\r$\n$\r$\nSetup puts Tavine.dll there and nothing else."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "VST2 folder"
!define MUI_DIRECTORYPAGE_VARIABLE $Vst2Dir
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipVst2PageUnlessChosen
!insertmacro TitledPage ShowVst2Folder "${SETUP_TITLE}: VST2 Folder"
!insertmacro MUI_PAGE_DIRECTORY

!insertmacro TitledPage ShowInstalling "${SETUP_TITLE}: Installing"
!insertmacro MUI_PAGE_INSTFILES

!define MUI_FINISHPAGE_TEXT "${PRODUCT} ${VERSION} is installed. Start your host and let it rescan its plug-ins: ${PRODUCT} is listed under the maker ${PUBLISHER}.$\r$\n$\r$\nTo remove it, use Installed apps in Windows' settings."
!insertmacro TitledPage ShowFinished "${SETUP_TITLE}: Finished"
!insertmacro MUI_PAGE_FINISH

!insertmacro TitledPage un.ShowConfirm "${UNINSTALL_TITLE}: Confirm"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro TitledPage un.ShowRemoving "${UNINSTALL_TITLE}: Removing"
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; --- What is installed where ---------------------------------------------------------------------

; Writes one file so that the old one is either left as it was or wholly replaced: the new file
; is unpacked beside it first, so a full disk or a failed write never leaves half a plug-in
; where a host looks.
!macro InstallFile SOURCE FOLDER NAME
    SetOutPath "${FOLDER}"
    File "/oname=${NAME}.new" "${SOURCE}"
    ClearErrors
    Delete "${FOLDER}\${NAME}"
    Rename "${FOLDER}\${NAME}.new" "${FOLDER}\${NAME}"
    ${If} ${Errors}
        Delete "${FOLDER}\${NAME}.new"
        DetailPrint "Could not replace ${FOLDER}\${NAME}"
        SetErrorLevel ${EXIT_FAILED}
        Abort "Could not replace ${FOLDER}\${NAME}"
    ${EndIf}
!macroend

Section "-Check that no program holds the files"
    ; Everything this run replaces or removes is checked before anything changes, so that a
    ; host holding one file leaves the whole installation as it was.
    Call CheckFilesAreFree
SectionEnd

Section "VST3 plug-in" SecVst3
    SectionIn 1
    !insertmacro InstallFile "${STAGE}\VST3\${BUNDLE}\${BUNDLE_BINARY}" "$COMMONFILES64\VST3\${BUNDLE}\Contents\x86_64-win" "Tavine.vst3"
    StrCpy $Components "$Components VST3"
SectionEnd

Section "VST2 plug-in" SecVst2
    SectionIn 1
    !insertmacro InstallFile "${STAGE}\VST2\Tavine.dll" "$Vst2Dir" "Tavine.dll"
    StrCpy $Components "$Components VST2"
SectionEnd

Section "Standalone program" SecStandalone
    SectionIn 1
    !insertmacro InstallFile "${STAGE}\Standalone\Tavine.exe" "$INSTDIR" "Tavine.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Tavine.exe"
    StrCpy $Components "$Components Standalone"
SectionEnd

Section "-Record the installation"
    ; What an earlier installation put in place and this one did not is taken away, so that
    ; what is on disk is what the record below says: a VST2 plug-in moved to another folder
    ; leaves nothing in the old one.
    Call OldVst2IsLeft
    Pop $0
    ${If} $0 == 1
        Push $PreviousVst2Dir
        Call RemoveVst2
    ${EndIf}
    ${IfNot} ${SectionIsSelected} ${SecVst3}
    ${AndIf} $HadVst3 == 1
        Call RemoveVst3
    ${EndIf}
    ${IfNot} ${SectionIsSelected} ${SecStandalone}
    ${AndIf} $HadStandalone == 1
        Call RemoveStandalone
    ${EndIf}

    SetOutPath "$INSTDIR"
    File "${STAGE}\LICENSE.txt"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    StrCpy $Components $Components "" 1
    WriteRegStr HKLM "${SETTINGS_KEY}" "Components" $Components
    WriteRegStr HKLM "${SETTINGS_KEY}" "Version" "${VERSION}"
    ${If} ${SectionIsSelected} ${SecVst2}
        WriteRegStr HKLM "${SETTINGS_KEY}" "Vst2Folder" $Vst2Dir
    ${Else}
        DeleteRegValue HKLM "${SETTINGS_KEY}" "Vst2Folder"
    ${EndIf}

    ; What Windows' list of installed apps shows.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${UNINSTALLER},0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    ${If} ${SectionIsSelected} ${SecVst3}
        SectionGetSize ${SecVst3} $1
        IntOp $0 $0 + $1
    ${EndIf}
    ${If} ${SectionIsSelected} ${SecVst2}
        SectionGetSize ${SecVst2} $1
        IntOp $0 $0 + $1
    ${EndIf}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Waits, with the user's leave, until no program holds a file this run replaces or removes;
; gives up with EXIT_FILES_IN_USE when told to, or at once when silent.
Function CheckFilesAreFree
    ${Do}
        StrCpy $InUse ""
        ${If} ${SectionIsSelected} ${SecVst3}
        ${OrIf} $HadVst3 == 1
            Push "$COMMONFILES64\VST3\${BUNDLE}\${BUNDLE_BINARY}"
            Call CheckNotInUse
        ${EndIf}
        ${If} ${SectionIsSelected} ${SecVst2}
            Push "$Vst2Dir\Tavine.dll"
            Call CheckNotInUse
        ${EndIf}
        Call OldVst2IsLeft
        Pop $0
        ${If} $0 == 1
            Push "$PreviousVst2Dir\Tavine.dll"
            Call CheckNotInUse
        ${EndIf}
        ${If} ${SectionIsSelected} ${SecStandalone}
        ${OrIf} $HadStandalone == 1
            Push "$INSTDIR\Tavine.exe"
            Call CheckNotInUse
        ${EndIf}
        ${If} $InUse == ""
            ${ExitDo}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "These files are in use, so ${PRODUCT} cannot be installed:$\r$\n$\r$\n$InUse$\r$\nClose your audio software and retry." /SD IDCANCEL IDRETRY retry
        SetErrorLevel ${EXIT_FILES_IN_USE}
        Abort "Nothing was changed: close your audio software and run setup again."
        retry:
    ${Loop}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecVst3} "Tavine.vst3 into Common Files\VST3, the folder every VST3 host scans."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecVst2} "Tavine.dll into the VST2 folder you choose next, for hosts that still load VST2 plug-ins."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecStandalone} "Tavine.exe, which runs Tavine on its own with your sound card, and a Start menu entry."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Pushes 1 (in $0 as well) when an earlier installation put Tavine.dll into a folder that this one leaves, by
; choosing another or no VST2 plug-in at all. Folders are compared as Windows names them, so
; C:\VSTPlugins, C:\VSTPlugins\ and c:\vstplugins are one folder, whose new file must stay.
Function OldVst2IsLeft
    Push $1
    Push $2
    StrCpy $0 0
    ${If} $PreviousVst2Dir != ""
        ${IfNot} ${SectionIsSelected} ${SecVst2}
            StrCpy $0 1
        ${Else}
            GetFullPathName /SHORT $1 $PreviousVst2Dir
            GetFullPathName /SHORT $2 $Vst2Dir
            ${If} $1 != $2
            ${AndIf} $PreviousVst2Dir != $Vst2Dir
                StrCpy $0 1
            ${EndIf}
        ${EndIf}
    ${EndIf}
    Pop $2
    Pop $1
    Push $0
FunctionEnd

; --- Helpers, shared by the setup program and the uninstaller -----------------------------------

; Adds the file on the stack to $InUse when it exists and cannot be opened for writing, as
; with a DLL a host has loaded.
!macro CheckNotInUseFunction PREFIX
Function ${PREFIX}CheckNotInUse
    Exch $0
    Push $1
    ${If} ${FileExists} $0
        ClearErrors
        FileOpen $1 $0 a
        ${If} ${Errors}
            StrCpy $InUse "$InUse$0$\r$\n"
        ${Else}
            FileClose $1
        ${EndIf}
    ${EndIf}
    Pop $1
    Pop $0
FunctionEnd
!macroend

!insertmacro CheckNotInUseFunction ""
!insertmacro CheckNotInUseFunction "un."

; Each removes what one component installed, and any folder that only it made and that is now
; empty; never a folder that others share, such as VST3 or the user's VST2 folder.
!macro RemoveFunctions PREFIX
Function ${PREFIX}RemoveVst3
    Delete "$COMMONFILES64\VST3\${BUNDLE}\${BUNDLE_BINARY}"
    RMDir "$COMMONFILES64\VST3\${BUNDLE}\Contents\x86_64-win"
    RMDir "$COMMONFILES64\VST3\${BUNDLE}\Contents"
    RMDir "$COMMONFILES64\VST3\${BUNDLE}"
FunctionEnd

Function ${PREFIX}RemoveVst2
    Exch $0
    Delete "$0\Tavine.dll"
    Pop $0
FunctionEnd

Function ${PREFIX}RemoveStandalone
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$INSTDIR\Tavine.exe"
FunctionEnd
!macroend

!insertmacro RemoveFunctions ""
!insertmacro RemoveFunctions "un."

; Sets $HadVst3 and $HadStandalone from $PreviousComponents.
!macro ReadPreviousComponentsFunction PREFIX
Function ${PREFIX}ReadPreviousComponents
    StrCpy $HadVst3 0
    StrCpy $HadStandalone 0
    ClearErrors
    ${WordFind} " $PreviousComponents " " " "E/VST3" $0
    ${IfNot} ${Errors}
        StrCpy $HadVst3 1
    ${EndIf}
    ClearErrors
    ${WordFind} " $PreviousComponents " " " "E/Standalone" $0
    ${IfNot} ${Errors}
        StrCpy $HadStandalone 1
    ${EndIf}
FunctionEnd
!macroend

!insertmacro ReadPreviousComponentsFunction ""
!insertmacro ReadPreviousComponentsFunction "un."

; --- Start ---------------------------------------------------------------------------------------

!macro StartChecks
    ; Everything lives in the 64-bit views of the registry and the folders, where 64-bit
    ; hosts look, and is installed for all users.
    SetRegView 64
    SetShellVarContext all

    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
        MessageBox MB_OK|MB_ICONSTOP "Installing ${PRODUCT} needs an administrator's rights: its plug-ins go into folders that all programs share. Nothing was changed." /SD IDOK
        SetErrorLevel ${EXIT_FAILED}
        Quit
    ${EndIf}
!macroend

Function .onInit
    !insertmacro StartChecks

    ReadRegStr $PreviousComponents HKLM "${SETTINGS_KEY}" "Components"
    ReadRegStr $PreviousVst2Dir HKLM "${SETTINGS_KEY}" "Vst2Folder"
    Call ReadPreviousComponents
    ${If} $PreviousVst2Dir != ""
        StrCpy $Vst2Dir $PreviousVst2Dir
    ${Else}
        StrCpy $Vst2Dir "$PROGRAMFILES64\VSTPlugins"
    ${EndIf}

    ${GetParameters} $R0
    ; Scripts and shells that quote every argument with a space in it pass
    ; "/VST2DIR=C:\My Plug-ins" whole, where a command prompt passes /VST2DIR="C:\My Plug-ins":
    ; both are read alike, the quote before the option dropped here and the one after the folder
    ; below.
    ${WordReplace} $R0 '"/' '/' "+" $R0

    ClearErrors
    ${GetOptions} $R0 "/VST2DIR=" $R1
    ${IfNot} ${Errors}
        ${Do}
            StrCpy $R2 $R1 1 -1
            ${If} $R2 != '"'
                ${ExitDo}
            ${EndIf}
            StrCpy $R1 $R1 -1
        ${Loop}
        ; A folder given without a drive or a share would land wherever setup was started.
        StrCpy $R2 $R1 2 1
        StrCpy $R3 $R1 2
        ${If} $R2 != ":\"
        ${AndIf} $R3 != "\\"
            MessageBox MB_OK|MB_ICONSTOP "/VST2DIR needs a whole path, such as C:\Program Files\VSTPlugins, not $\"$R1$\"." /SD IDOK
            SetErrorLevel ${EXIT_FAILED}
            Quit
        ${EndIf}
        ; Without trailing backslashes, as folders are recorded.
        ${Do}
            StrCpy $R2 $R1 1 -1
            StrLen $R3 $R1
            ${If} $R2 != "\"
            ${OrIf} $R3 <= 3
                ${ExitDo}
            ${EndIf}
            StrCpy $R1 $R1 -1
        ${Loop}
        StrCpy $Vst2Dir $R1
    ${EndIf}

    ClearErrors
    ${GetOptions} $R0 "/COMPONENTS=" $R1
    ${IfNot} ${Errors}
        !insertmacro UnselectSection ${SecVst3}
        !insertmacro UnselectSection ${SecVst2}
        !insertmacro UnselectSection ${SecStandalone}
        ${Do}
            ${WordFind} $R1 "," "+1" $R2
            ${If} $R2 == $R1
                StrCpy $R1 ""
            ${Else}
                ${WordFind} $R1 "," "+2*}" $R1
            ${EndIf}
            ${If} $R2 == "VST3"
                !insertmacro SelectSection ${SecVst3}
            ${ElseIf} $R2 == "VST2"
                !insertmacro SelectSection ${SecVst2}
            ${ElseIf} $R2 == "Standalone"
                !insertmacro SelectSection ${SecStandalone}
            ${Else}
                MessageBox MB_OK|MB_ICONSTOP "/COMPONENTS takes VST3, VST2 and Standalone, separated by commas, not $\"$R2$\"." /SD IDOK
                SetErrorLevel ${EXIT_FAILED}
                Quit
            ${EndIf}
        ${LoopUntil} $R1 == ""
    ${EndIf}

    ; An older version over a newer one is allowed, but not by accident.
    ReadRegStr $0 HKLM "${SETTINGS_KEY}" "Version"
    ${If} $0 != ""
        ${VersionCompare} $0 "${VERSION}" $1
        ${If} $1 == 1
            MessageBox MB_YESNO|MB_ICONQUESTION "${PRODUCT} $0 is installed, a newer version than this one (${VERSION}). Replace it with ${VERSION}?" /SD IDYES IDYES replaceNewer
            SetErrorLevel 1
            Quit
            replaceNewer:
        ${EndIf}
    ${EndIf}
FunctionEnd

Function SkipVst2PageUnlessChosen
    ${IfNot} ${SectionIsSelected} ${SecVst2}
        Abort
    ${EndIf}
FunctionEnd

; --- The uninstaller ------------------------------------------------------------------------------

Function un.onInit
    !insertmacro StartChecks
FunctionEnd

Section "Uninstall"
    ReadRegStr $PreviousComponents HKLM "${SETTINGS_KEY}" "Components"
    ReadRegStr $PreviousVst2Dir HKLM "${SETTINGS_KEY}" "Vst2Folder"
    Call un.ReadPreviousComponents

    ${Do}
        StrCpy $InUse ""
        ${If} $HadVst3 == 1
            Push "$COMMONFILES64\VST3\${BUNDLE}\${BUNDLE_BINARY}"
            Call un.CheckNotInUse
        ${EndIf}
        ${If} $PreviousVst2Dir != ""
            Push "$PreviousVst2Dir\Tavine.dll"
            Call un.CheckNotInUse
        ${EndIf}
        ${If} $HadStandalone == 1
            Push "$INSTDIR\Tavine.exe"
            Call un.CheckNotInUse
        ${EndIf}
        ${If} $InUse == ""
            ${ExitDo}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "These files are in use, so ${PRODUCT} cannot be removed:$\r$\n$\r$\n$InUse$\r$\nClose your audio software and retry." /SD IDCANCEL IDRETRY retry
        SetErrorLevel ${EXIT_FILES_IN_USE}
        Abort "Nothing was removed: close your audio software and run the uninstaller again."
        retry:
    ${Loop}

    ${If} $HadVst3 == 1
        Call un.RemoveVst3
    ${EndIf}
    ${If} $PreviousVst2Dir != ""
        Push $PreviousVst2Dir
        Call un.RemoveVst2
    ${EndIf}
    ${If} $HadStandalone == 1
        Call un.RemoveStandalone
    ${EndIf}

    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKLM "Software\${PUBLISHER}"
SectionEnd
