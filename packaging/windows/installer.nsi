; The installer of the OVK Sensor Updater for 64-bit Windows (NSIS 3), made by scripts/windows:
; makensis -DVERSION=0.1 -DSOURCE=<deployed folder> -DOUTFILE=<setup.exe> -DICON=<Updater.ico>
; It installs into Program Files, adds a Start-menu shortcut, an uninstaller and an entry in
; Add/Remove Programs. /S installs (and uninstalls) silently.
Unicode true
; A 64-bit stub: the program is 64-bit, and the default 32-bit one does not start where there
; is no 32-bit subsystem.
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "OVK Sensor Updater"
!define PUBLISHER "OVK"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright 2026 ${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${SOURCE}\*"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; Started in its own folder, which only administrators may write, the program keeps its
    ; downloaded package in the user's own folder (%LOCALAPPDATA%\OVK Sensor Updater), whoever
    ; the user is.
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Updater.exe" "" "$INSTDIR\Updater.exe" 0

    ; The lock that keeps the programs of every user from updating a sensor at the same time:
    ; every user may make and change the files in its folder.
    CreateDirectory "$APPDATA\${PRODUCT}"
    nsExec::ExecToLog 'icacls "$APPDATA\${PRODUCT}" /grant *S-1-5-32-545:(OI)(CI)M'
    Pop $0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Updater.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    ; Only what the installer put there: the folder may have been chosen by hand.
    RMDir /r "$INSTDIR\qml"
    RMDir /r "$INSTDIR\plugins"
    RMDir /r "$INSTDIR\licences"
    Delete "$INSTDIR\*.dll"
    Delete "$INSTDIR\Updater.exe"
    Delete "$INSTDIR\ovk-sensor-update.exe"
    Delete "$INSTDIR\qt.conf"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$APPDATA\${PRODUCT}\update.lock"
    Delete "$APPDATA\${PRODUCT}\*.holder"
    RMDir "$APPDATA\${PRODUCT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
