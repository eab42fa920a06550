; The installer of the OVK Sensor Updater for 64-bit Windows (NSIS 3), made by scripts/windows:
; makensis -DVERSION=0.1 -DSOURCE=<deployed folder> -DOUTFILE=<setup.exe> -DICON=<Updater.ico>
; It installs into Program Files, adds a Start-menu shortcut, an uninstaller and an entry in
; Add/Remove Programs. /S installs (and uninstalls) silently.
Unicode true
; A 64-bit stub: the program is 64-bit, and the default 32-bit one does not start where there
; is no 32-bit subsystem.
Target amd64-unicode
SetCompressor /SOLID lzma

!include LogicLib.nsh

!define PRODUCT "OVK Sensor Updater"
!define PUBLISHER "OVK"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The update lock's folder, which the programs of every account share (%ProgramData%, with
; SetShellVarContext all), and the accounts it grants rights to, by their well-known SIDs:
; their names depend on Windows' language.
!define LOCK_FOLDER "$APPDATA\${PRODUCT}"
!define SID_SYSTEM "*S-1-5-18"
!define SID_ADMINISTRATORS "*S-1-5-32-544"
!define SID_USERS "*S-1-5-32-545"
!define SID_CREATOR_OWNER "*S-1-3-0"

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

; Whether the path on the stack names a folder itself (1), not a junction, a link, a file or
; nothing (0).
Function un.IsPlainFolder
    Exch $0
    Push $1
    System::Call 'kernel32::GetFileAttributesW(w r0) i .r1'
    IntOp $1 $1 & 0x410 ; FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY
    ${If} $1 = 0x10
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
    Pop $1
    Exch $0
FunctionEnd

; Takes away what someone put at the lock folder's name, itself and never what it leads to: a
; junction or folder link goes as a folder does, a file or file link as a file does.
!macro REMOVE_STRANGER
    StrCpy $1 "${LOCK_FOLDER}"
    System::Call 'kernel32::RemoveDirectoryW(w r1)'
    System::Call 'kernel32::DeleteFileW(w r1)'
!macroend

; The update lock's folder: every user may list it, make files in it and read (so lock) the
; files of others, and has full control of the files they made themselves (CREATOR OWNER); no
; user may delete or rename the folder or the files of others, nor make folders in it. SYSTEM
; and Administrators have full control, and %ProgramData%'s own rights do not come in. The
; rights are set on the folder itself (/L), never through a junction put in its place.
; Opens the folder at $1 itself (never what a junction at its name leads to), and so that nobody
; may rename or remove it while the handle is open. $5: the handle, or -1.
!macro HOLD_FOLDER
    ; READ_CONTROL | FILE_READ_ATTRIBUTES; read and write sharing, no delete sharing; OPEN_EXISTING;
    ; FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT
    System::Call 'kernel32::CreateFileW(w r1, i 0x00020080, i 3, p 0, i 3, i 0x02200000, p 0) p .r5'
!macroend

; Whether the folder held by $5 is a plain folder that belongs to the administrators or the system,
; as only an earlier install of this program makes it: $0 1 if so, else 0.
Function IsOurHeldFolder
    StrCpy $0 0
    System::Call '*(&i52) p .r6'
    System::Call 'kernel32::GetFileInformationByHandle(p r5, p r6) i .r7'
    System::Call '*$6(i .r8)'
    System::Free $6
    IntOp $8 $8 & 0x410 ; FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY
    ${If} $7 <> 0
    ${AndIf} $8 = 0x10
        ; SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION
        System::Call 'advapi32::GetSecurityInfo(p r5, i 1, i 1, *p .r2, p 0, p 0, p 0, *p .r3) i .r7'
        ${If} $7 = 0
            System::Call 'advapi32::ConvertSidToStringSidW(p r2, *p .r4) i .r7'
            ${If} $7 <> 0
                System::Call '*$4(&w64 .r8)'
                System::Call 'kernel32::LocalFree(p r4)'
                ${If} $8 == "S-1-5-32-544"
                ${OrIf} $8 == "S-1-5-18"
                    StrCpy $0 1
                ${EndIf}
            ${EndIf}
            System::Call 'kernel32::LocalFree(p r3)'
        ${EndIf}
    ${EndIf}
FunctionEnd

; The lock folder, as nobody but the administrators can have made it. What stands at its name and
; is not (a folder a user made before the install, whose handle they may still hold, or a
; junction) is moved aside whole, never entered, and the folder made anew; then it is held open,
; so that nothing done to it by name below can reach another folder.
Function MakeLockFolder
    StrCpy $1 "${LOCK_FOLDER}"
    !insertmacro HOLD_FOLDER
    StrCpy $0 0
    ${If} $5 P<> -1
        Call IsOurHeldFolder
    ${EndIf}
    ${If} $0 = 0
        ${If} $5 P<> -1
            System::Call 'kernel32::CloseHandle(p r5)'
        ${EndIf}
        System::Call 'kernel32::GetTickCount() i .r2'
        ; MoveFileW renames a junction itself; a folder of a user's is left to them, aside.
        System::Call 'kernel32::MoveFileW(w r1, w "${LOCK_FOLDER}.old-$2") i .r0'
        System::Call 'kernel32::CreateDirectoryW(w r1, p 0) i .r0'
        ${If} $0 = 0
            MessageBox MB_ICONSTOP "${LOCK_FOLDER} cannot be made anew: something else is there." /SD IDOK
            Abort
        ${EndIf}
        !insertmacro HOLD_FOLDER
        ${If} $5 P= -1
            MessageBox MB_ICONSTOP "${LOCK_FOLDER} cannot be opened." /SD IDOK
            Abort
        ${EndIf}
    ${EndIf}
    nsExec::ExecToLog 'icacls "${LOCK_FOLDER}" /setowner ${SID_ADMINISTRATORS} /L /Q'
    Pop $0
    nsExec::ExecToLog 'icacls "${LOCK_FOLDER}" /reset /L /Q'
    Pop $0
    ; (RX,WD) on the folder alone: list it and make files in it, and no more.
    nsExec::ExecToLog 'icacls "${LOCK_FOLDER}" /inheritance:r /grant:r ${SID_SYSTEM}:(OI)(CI)F \
        ${SID_ADMINISTRATORS}:(OI)(CI)F ${SID_CREATOR_OWNER}:(OI)(CI)(IO)F ${SID_USERS}:(RX,WD) /L /Q'
    Pop $0
    nsExec::ExecToLog 'icacls "${LOCK_FOLDER}" /grant ${SID_USERS}:(OI)(IO)R /L /Q'
    Pop $0
    ; Lock files and records of before are nobody's now (a link among them is removed itself).
    Delete "${LOCK_FOLDER}\update.*"
    ; The computer's lock, made new (CREATE_NEW, never opened through what stands at its name):
    ; the administrators', which every user may read and so lock.
    StrCpy $1 "${LOCK_FOLDER}\update.lock"
    System::Call 'kernel32::CreateFileW(w r1, i 0x80000000, i 1, p 0, i 1, i 0x00200080, p 0) p .r0'
    ${If} $0 P<> -1
        System::Call 'kernel32::CloseHandle(p r0)'
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r5)'
FunctionEnd

Section "Install"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${SOURCE}\*"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; Started in its own folder, which only administrators may write, the program keeps its
    ; downloaded package in the user's own folder (%LOCALAPPDATA%\OVK Sensor Updater), whoever
    ; the user is.
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Updater.exe" "" "$INSTDIR\Updater.exe" 0

    ; The lock that keeps the programs of every user from updating a sensor at the same time.
    Call MakeLockFolder

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
    RMDir /r "$INSTDIR\translations"
    Delete "$INSTDIR\*.dll"
    Delete "$INSTDIR\Updater.exe"
    Delete "$INSTDIR\ovk-sensor-update.exe"
    Delete "$INSTDIR\qt.conf"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    ; Every user's lock files and records (update.lock, update.<place>.lock, and their
    ; .holder-<SID> records), only in the folder itself.
    Push "${LOCK_FOLDER}"
    Call un.IsPlainFolder
    Pop $0
    ${If} $0 = 1
        Delete "${LOCK_FOLDER}\update.*"
        RMDir "${LOCK_FOLDER}"
    ${Else}
        !insertmacro REMOVE_STRANGER
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
