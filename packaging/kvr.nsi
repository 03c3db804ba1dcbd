; The KVR installer: for the user who runs it, no administrator rights asked, under the user's
; local application folder, with a Start-menu shortcut and an entry in the user's list of apps.
;   makensis -DVERSION=1.5.0 -DSTAGE=<folder holding kvr.exe and Lng> -DOUTFILE=<setup.exe>
;            [-DICON=<kvr.ico>] kvr.nsi
; /S installs or uninstalls silently; /D=<folder> chooses another folder.

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "FileFunc.nsh"

!define PRODUCT "KVR"
!define PUBLISHER "ORQ"
; The class of the program's main window: a WM_CLOSE to it runs the program's own exit.
!define MAIN_CLASS "KVR_frmPpal"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KVR"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\KVR"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!ifdef ICON
    !define MUI_ICON "${ICON}"
    !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\kvr.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_LANGUAGE "German"

LangString StillRunning ${LANG_ENGLISH} \
    "KVR is still running and did not end when asked to. Exit KVR and try again."
LangString StillRunning ${LANG_SPANISH} \
    "KVR sigue en marcha y no terminó cuando se le pidió. Salga de KVR e inténtelo de nuevo."
LangString StillRunning ${LANG_GERMAN} \
    "KVR läuft noch und hat sich auf Anforderung nicht beendet. Beenden Sie KVR und versuchen Sie es erneut."

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

; Closes a running copy the way a task list would: its exit shows every window it hid, gives
; the sound back and removes its icon. Then waits until its executable can be replaced or
; deleted. Aborts when it does not end.
!macro CLOSE_RUNNING_COPY un
Function ${un}CloseRunningCopy
    FindWindow $0 "${MAIN_CLASS}"
    ${If} $0 <> 0
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=15000
        StrCpy $1 0
        ${Do}
            FindWindow $0 "${MAIN_CLASS}"
            ${If} $0 = 0
                ${ExitDo}
            ${EndIf}
            ${If} $1 >= 75
                MessageBox MB_OK|MB_ICONSTOP "$(StillRunning)" /SD IDOK
                Abort
            ${EndIf}
            Sleep 200
            IntOp $1 $1 + 1
        ${Loop}
    ${EndIf}
    ; The window goes a moment before the process and its hold on kvr.exe.
    StrCpy $1 0
    ${DoWhile} ${FileExists} "$INSTDIR\kvr.exe"
        ClearErrors
        FileOpen $2 "$INSTDIR\kvr.exe" a
        ${IfNot} ${Errors}
            FileClose $2
            ${ExitDo}
        ${EndIf}
        ${If} $1 >= 50
            MessageBox MB_OK|MB_ICONSTOP "$(StillRunning)" /SD IDOK
            Abort
        ${EndIf}
        Sleep 200
        IntOp $1 $1 + 1
    ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

; Removes the Run entry when it names this installation's kvr.exe (as the program writes it:
; the path in double quotes). The machine-wide one is refused without rights, and then the
; program never managed to write it either.
!macro REMOVE_RUN_ENTRY root
    ReadRegStr $0 ${root} "${RUN_KEY}" "KVR"
    ${If} $0 == "$\"$INSTDIR\kvr.exe$\""
    ${OrIf} $0 == "$INSTDIR\kvr.exe"
        DeleteRegValue ${root} "${RUN_KEY}" "KVR"
    ${EndIf}
!macroend

Function .onInit
    SetShellVarContext current
FunctionEnd

Function un.onInit
    SetShellVarContext current
FunctionEnd

Section "KVR"
    Call CloseRunningCopy
    SetOutPath "$INSTDIR"
    File "${STAGE}/kvr.exe"
    SetOutPath "$INSTDIR\Lng"
    File "${STAGE}/Lng/*"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\KVR.lnk" "$INSTDIR\kvr.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kvr.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    Call un.CloseRunningCopy
    ; A copy that was killed left no window to close, and its journal names what it hid: the
    ; installed program brings that back and removes the journals nothing can use any more,
    ; leaving those of copies that still run in the user's other sessions.
    ExecWait '"$INSTDIR\kvr.exe" /recover'
    !insertmacro REMOVE_RUN_ENTRY HKCU
    !insertmacro REMOVE_RUN_ENTRY HKLM
    Delete "$SMPROGRAMS\KVR.lnk"
    Delete "$INSTDIR\kvr.exe"
    ; The program's list of programs to hide, and the file it writes that list through.
    Delete "$INSTDIR\lsv.dat"
    Delete "$INSTDIR\lsv.tmp"
    Delete "$INSTDIR\Lng\dde"
    Delete "$INSTDIR\Lng\KVR_*.txt"
    Delete "$INSTDIR\Lng\KVR_*.chm"
    RMDir "$INSTDIR\Lng"
    Delete "$INSTDIR\uninstall.exe"
    ; The journals' folder, once the recovery above has emptied it.
    RMDir "$LOCALAPPDATA\KVR"
    ; Not /r: a folder the user chose may hold files of their own.
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
