; Tetherwatch Setup: installs Lookout and Marshal for the current user, no administrator
; rights needed. One script for both setups; installer/CMakeLists.txt runs makensis with
;   -DVERSION=1.0.0   the project's version (CMake's project(VERSION))
;   -DARCH=x64|x86    which programs: x64 = the x86_64 build (Target amd64-unicode),
;                     x86 = the i686 build (Target x86-unicode)
;   -DSTAGE=dir       that build's Lookout.exe and Marshal.exe, README.txt and LICENSE.txt
;                     with Windows line ends, and the wizard's picture, all with the
;                     release's file time (the setup keeps each file's time)
;   -DOUTFILE=path    the setup to write
;   -DPUBLISHER=name  who publishes it (Apps & Features, version information): the signing
;                     certificate's subject, else "Tetherwatch developers"
;   -DFINALIZE=cmd    run on the setup once written, with its path: stamps the release's
;                     time and signs when a certificate is given (scripts/sign --stamp)
;   -DSIGNED          a certificate is given: the uninstaller is made here and FINALIZE run
;                     on it too
;
; Setup:  Tetherwatch-<version>-<arch>-setup.exe [/S] [/D=C:\some folder]   (/D= must come last)
;   Installs into %LOCALAPPDATA%\Programs\Tetherwatch unless /D= or an earlier installation
;   says otherwise; installing over an installation upgrades it in place. Exit code 0 on
;   success; 3 when Lookout is running (silent mode: no question, nothing replaced).
;
; Uninstall, silently, from a script that must wait for the end:
;   "<dir>\Uninstall.exe" /S _?=<dir>
;   then delete "<dir>\Uninstall.exe" and remove <dir> if it is empty (it is not when
;   REMOVED.REG was kept there).
; Started without _?=, an NSIS uninstaller copies itself to %TEMP%, starts that copy and
; returns at once, so its exit code says nothing and the files are still there. With
; _?=<dir> it runs in place, returns when it has finished, and its exit code is the result
; (0 removed, 3 Lookout is running); it cannot delete its own file, hence the last step.
; The shell functions tw_setup_install and tw_setup_uninstall (tests/support/wine-env.sh)
; do exactly this.

Unicode true
!ifndef VERSION | ARCH | STAGE | OUTFILE
    !error "makensis needs -DVERSION -DARCH -DSTAGE -DOUTFILE (see the top of this script)"
!endif
!if "${ARCH}" == "x64"
    Target amd64-unicode
    !define ARCH_TEXT "64-bit"
!else if "${ARCH}" == "x86"
    Target x86-unicode
    !define ARCH_TEXT "32-bit"
!else
    !error "ARCH is x64 or x86"
!endif

!define PRODUCT "Tetherwatch"
!ifndef PUBLISHER
    !define PUBLISHER "Tetherwatch developers"
!endif
; PUBLISHER is quoted with backticks: a certificate's subject may hold a " (and cannot hold a
; backtick, installer/CMakeLists.txt checks). PUBLISHER_TEXT, for strings that the setup reads
; at install time, where $ starts a variable.
!searchreplace PUBLISHER_TEXT `${PUBLISHER}` "$" "$$"
; The holder of the copyright (LICENSE), whoever signs the release.
!define COPYRIGHT "Tetherwatch developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; Lookout's settings (application "OSPREY" of the per-user settings store).
!define SETTINGS_KEY "Software\OSPREY"
; Lookout's single-instance mutex (tray/startup/Main.cpp).
!define LOOKOUT_MUTEX "Tetherwatch.Lookout.Instance"
; The folder both programs watch and fill: the Start menu's Programs folder + "Online Startup".
!define ONLINE_STARTUP "$SMPROGRAMS\Online Startup"
; makensis works in this script's folder.
!define ART "../resources"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
SetCompressor /SOLID lzma
; A failure of FINALIZE fails the build. Unsigned, Setup makes the uninstaller at install time
; from its own header and the uninstaller's code; signed, the uninstaller is made and signed
; here and stored whole (about 50 KB more).
!ifdef FINALIZE
    !finalize '${FINALIZE} "%1"' = 0
    !ifdef SIGNED
        !uninstfinalize '${FINALIZE} "%1"' = 0
    !endif
!endif
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An earlier installation's folder is the default, so a new version replaces it in place.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION} for ${ARCH_TEXT} Windows"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"

!define MUI_ICON "${ART}/lookout/art/main.ico"
!define MUI_UNICON "${ART}/lookout/art/main.ico"
; The wizard's picture, stretched a little to the page's 164 x 314.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${STAGE}/wizard.bmp"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT} ${VERSION} for ${ARCH_TEXT} Windows.$\r$\n$\r$\n\
Lookout sits in the notification area and runs the programs of your Online StartUp folder \
only while the computer is connected to the Internet: it starts them when the connection \
comes up and closes them when it goes away. The Online StartUp Wizard fills that folder \
from your StartUp folder and the programs Windows starts at log-on.$\r$\n$\r$\n\
No administrator rights are needed. Lookout will start every time you log on.$\r$\n$\r$\n\
$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; Both offers on the finish page: the wizard first (Lookout has nothing to run until the
; Online StartUp folder holds a shortcut), then Lookout.
!define MUI_FINISHPAGE_TEXT "${PRODUCT} has been installed, and Lookout will start every time you log on.$\r$\n$\r$\n\
Use the Online StartUp Wizard to choose the programs that should run only while you are online."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Run the Online StartUp &Wizard now"
!define MUI_FINISHPAGE_RUN_FUNCTION RunWizardNow
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Start &Lookout now"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION StartLookoutNow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" `${PUBLISHER}`
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} Setup for ${ARCH_TEXT} Windows"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) ${COPYRIGHT}. MIT licence."
VIAddVersionKey /LANG=${LANG_ENGLISH} "OriginalFilename" "${PRODUCT}-${VERSION}-${ARCH}-setup.exe"

; A running Lookout.exe cannot be replaced or deleted: asks the user to exit it (Retry/Cancel)
; until its mutex is gone. Cancel, and silent mode, end Setup with exit code 3.
!macro WaitForLookoutToExit un
Function ${un}WaitForLookoutToExit
    retry:
        ; SYNCHRONIZE is enough to learn whether the mutex exists.
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${LOOKOUT_MUTEX}") p .r0'
        ${If} $0 P<> 0
            System::Call 'kernel32::CloseHandle(p r0)'
            MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Lookout is running.$\r$\n$\r$\n\
                Please exit it first: right-click its icon in the notification area and choose Exit. \
                Then click Retry." /SD IDCANCEL IDRETRY retry
            SetErrorLevel 3
            Quit
        ${EndIf}
FunctionEnd
!macroend
!insertmacro WaitForLookoutToExit ""
!insertmacro WaitForLookoutToExit "un."

Function .onInit
    SetShellVarContext current
!if "${ARCH}" == "x86"
    ${If} ${RunningX64}
        MessageBox MB_OKCANCEL|MB_ICONINFORMATION "This Setup installs the 32-bit programs. This \
            computer runs 64-bit Windows, for which ${PRODUCT}-${VERSION}-x64-setup.exe is made.$\r$\n$\r$\n\
            Install the 32-bit programs anyway?" /SD IDOK IDOK install_anyway
        SetErrorLevel 1
        Quit
        install_anyway:
    ${EndIf}
!endif
    Call WaitForLookoutToExit
FunctionEnd

Section "Tetherwatch"
    ; Lookout may have been started while the pages were shown.
    Call WaitForLookoutToExit
    SetOutPath "$INSTDIR"
    File "${STAGE}/Lookout.exe"
    File "${STAGE}/Marshal.exe"
    File "${STAGE}/README.txt"
    File "${STAGE}/LICENSE.txt"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; The folder Lookout reads at start; the wizard fills it.
    CreateDirectory "${ONLINE_STARTUP}"
    ; Lookout at every log-on. The wizard never lists or moves OSPREY.LNK.
    CreateShortcut "$SMSTARTUP\OSPREY.LNK" "$INSTDIR\Lookout.exe" "" "$INSTDIR\Lookout.exe" 0 \
        SW_SHOWNORMAL "" "Runs your online programs while you are connected"
    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Lookout.lnk" "$INSTDIR\Lookout.exe" "" \
        "$INSTDIR\Lookout.exe" 0 SW_SHOWNORMAL "" "Runs your online programs while you are connected"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Online StartUp Wizard.lnk" "$INSTDIR\Marshal.exe" "" \
        "$INSTDIR\Marshal.exe" 0 SW_SHOWNORMAL "" "Chooses the programs that run only while you are online"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

    ; Apps & Features.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" `${PUBLISHER_TEXT}`
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Lookout.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Finish page: the wizard, and then (when that box is checked too) Lookout once the wizard
; has closed, so that Lookout finds the shortcuts the wizard made. The wizard is started
; through the shell: its manifest asks an administrator for elevation, which a plain
; CreateProcess (Exec) cannot give and fails with error 740.
Function RunWizardNow
    SetOutPath "$INSTDIR"
    SendMessage $mui.FinishPage.ShowReadme ${BM_GETCHECK} 0 0 $0
    ${If} $0 == ${BST_CHECKED}
        HideWindow
        ExecShellWait "" "$INSTDIR\Marshal.exe"
    ${Else}
        ExecShell "" "$INSTDIR\Marshal.exe"
    ${EndIf}
FunctionEnd

Function StartLookoutNow
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\Lookout.exe"'
FunctionEnd

Function un.onInit
    SetShellVarContext current
    Call un.WaitForLookoutToExit
FunctionEnd

; Removes what Setup made. Never the Online StartUp folder or its shortcuts (the user's),
; never REMOVED.REG (the only way back for the Run values the wizard removed): when it is
; there, the install folder stays with it and the user is told where.
Section "Uninstall"
    Delete "$INSTDIR\Lookout.exe"
    Delete "$INSTDIR\Marshal.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\Uninstall.exe"
    Delete "$SMSTARTUP\OSPREY.LNK"
    Delete "$SMPROGRAMS\${PRODUCT}\Lookout.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Online StartUp Wizard.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    ${If} ${FileExists} "$INSTDIR\REMOVED.REG"
        MessageBox MB_OK|MB_ICONINFORMATION "${PRODUCT} has been removed, but not your REMOVED.REG, \
            which is kept in$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nIt holds the programs the Online StartUp \
            Wizard took out of the registry's Run keys: double-click it and confirm to put them back." /SD IDOK
    ${Else}
        ; Only when empty: whatever else the user put there stays.
        RMDir "$INSTDIR"
    ${EndIf}
SectionEnd
