; Zelcap's installer. Built by tools/dist.sh with makensis, which defines
; VERSION, STAGE (the folder with the files to install), OUTFILE, and
; TARGET_AMD64 for the 64-bit test build; STARTER_INI when there is a
; starter settings file to hand out.
Unicode true
!ifdef TARGET_AMD64
    Target amd64-unicode
    !define PROGRAM_FILES "$PROGRAMFILES64"
!else
    Target x86-unicode
    !define PROGRAM_FILES "$PROGRAMFILES"
!endif

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zelcap"

Name "Zelcap ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\Zelcap"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
; Program Files and the uninstall entry of every user need an administrator.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "Zelcap"
VIAddVersionKey /LANG=1041 "FileDescription" "Zelcap セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Copyright (C) 2026 Zelcap"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Readme.txt"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; Zelcap keeps Zelcap.ini in its current folder and writes captures and
; histories next to it; Program Files is not writable for a normal user, so
; the shortcut starts it in this per-user folder instead.
!define USER_FOLDER "$DOCUMENTS\Zelcap"

Section
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${STAGE}\Zelcap.exe"
    File "${STAGE}\ZCP2Help.chm"
    File "${STAGE}\Readme.txt"
    File "${STAGE}\License.txt"
    ; The text-reading models, where Zelcap.exe looks for them.
    SetOutPath "$INSTDIR\tessdata"
    File "${STAGE}\tessdata\jpn.traineddata"
    File "${STAGE}\tessdata\eng.traineddata"
    SetOutPath "$INSTDIR"
    ; The font the pack's PDF embeds, looked for beside Zelcap.exe.
    File "${STAGE}\ipaexg.ttf"
    File "${STAGE}\IPA_Font_License.txt"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "${USER_FOLDER}"
    SetOutPath "${USER_FOLDER}"
    ; The help commands open ZCP2Help.chm in the start folder.
    File "${STAGE}\ZCP2Help.chm"
!ifdef STARTER_INI
    ; Once there, Zelcap.ini is the user's own: never replace it.
    SetOverwrite off
    File "/oname=Zelcap.ini" "${STARTER_INI}"
    SetOverwrite on
!endif

    ; The shortcut's working folder is the current output path.
    SetOutPath "${USER_FOLDER}"
    CreateDirectory "$SMPROGRAMS\Zelcap"
    CreateShortcut "$SMPROGRAMS\Zelcap\Zelcap.lnk" "$INSTDIR\Zelcap.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Zelcap ${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Zelcap"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Zelcap.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    ; The uninstaller may run as another user; it takes the folder from here.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UserFolder" "${USER_FOLDER}"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes only what the installer put there: the user's Zelcap.ini, captures
; and histories in the per-user folder stay, and so does the folder.
Section "Uninstall"
    SetShellVarContext current
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UserFolder"
    Delete "$SMPROGRAMS\Zelcap\Zelcap.lnk"
    RMDir "$SMPROGRAMS\Zelcap"
    StrCmp $0 "" +3
    Delete "$0\ZCP2Help.chm"
    RMDir "$0"
    Delete "$INSTDIR\Zelcap.exe"
    Delete "$INSTDIR\ZCP2Help.chm"
    Delete "$INSTDIR\Readme.txt"
    Delete "$INSTDIR\License.txt"
    Delete "$INSTDIR\tessdata\jpn.traineddata"
    Delete "$INSTDIR\tessdata\eng.traineddata"
    RMDir "$INSTDIR\tessdata"
    Delete "$INSTDIR\ipaexg.ttf"
    Delete "$INSTDIR\IPA_Font_License.txt"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
