; SPDX-License-Identifier: MIT
; The Windows installer (scripts/windows): makensis -DVERSION=X -DSTAGE=DIR -DOUT=FILE muxconfig.nsi
Unicode true
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"
Name "muxconfig ${VERSION}"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES64\muxconfig"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
!define MUI_ICON "${STAGE}\muxconfig.ico"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\muxconfig"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"

Section "muxconfig" SecMain
    SectionIn RO
    SetRegView 64
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\muxconfig.lnk" "$INSTDIR\muxconfig.exe" "" "$INSTDIR\muxconfig.ico"
    ; The devices answer to UDP port 1153: let them in.
    nsExec::Exec 'netsh advfirewall firewall add rule name="muxconfig (UDP 1153)" dir=in action=allow protocol=UDP localport=1153 program="$INSTDIR\muxconfig.exe"'
    nsExec::Exec 'netsh advfirewall firewall add rule name="muxconfig (UDP 1153)" dir=in action=allow protocol=UDP localport=1153 program="$INSTDIR\muxconfig.com"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "muxconfig"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\muxconfig.ico"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
SectionEnd

Section /o "Polecenie muxconfig w PATH" SecPath
    SetRegView 64
    ReadRegStr $0 HKLM "SYSTEM\CurrentControlSet\Control\Session Manager\Environment" "Path"
    WriteRegExpandStr HKLM "SYSTEM\CurrentControlSet\Control\Session Manager\Environment" "Path" "$0;$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "AddedToPath" "$INSTDIR"
    SendMessage ${HWND_BROADCAST} ${WM_WININICHANGE} 0 "STR:Environment" /TIMEOUT=5000
SectionEnd

Section "Uninstall"
    SetRegView 64
    nsExec::Exec 'netsh advfirewall firewall delete rule name="muxconfig (UDP 1153)"'
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "AddedToPath"
    ${If} $1 != ""
        ReadRegStr $0 HKLM "SYSTEM\CurrentControlSet\Control\Session Manager\Environment" "Path"
        ; the entry was appended last: cut ";INSTDIR" off the end
        StrLen $2 ";$1"
        StrCpy $3 $0 "" -$2
        ${If} $3 == ";$1"
            StrCpy $0 $0 -$2
            WriteRegExpandStr HKLM "SYSTEM\CurrentControlSet\Control\Session Manager\Environment" "Path" "$0"
        ${EndIf}
    ${EndIf}
    Delete "$SMPROGRAMS\muxconfig.lnk"
    RMDir /r "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
