; The Windows installer, made by scripts/package windows with
;   makensis -INPUTCHARSET UTF8 -DVERSION=3.68 -DSTAGE=folder -DOUTFILE=setup.exe -DICON=orvix2.ico
;            [-DEDITOR] orvix2.nsi
; STAGE holds the files to install (orvix2.exe when EDITOR is defined, orvix2-cli.exe and
; locale/en/LC_MESSAGES/orvix2.mo). A 64-bit Unicode installer for the current user: no
; administrator rights, no 32-bit stub (64-bit Wine cannot run one).

Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true

!define PRODUCT "Orvix2"
!define TITLE "Orvix2 ペチ設定ファイルエディタ２"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvix2"
!define SHORTCUT "$SMPROGRAMS\${TITLE}.lnk"

Name "${TITLE}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Orvix2 maintainers"

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(KeptFolder)"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!ifdef EDITOR
    !define MUI_FINISHPAGE_RUN "$INSTDIR\orvix2.exe"
!endif
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for a Windows in neither language.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

; The backups there may be the only copy of a card as it was: the uninstaller never takes them.
LangString KeptFolder ${LANG_ENGLISH} "Your settings and the backups of your cards in $LOCALAPPDATA\${PRODUCT} are kept: they may be the only copy of a card as it was. Delete that folder yourself when you no longer need them."
LangString KeptFolder ${LANG_JAPANESE} "設定とカードのバックアップ ($LOCALAPPDATA\${PRODUCT}) は削除せずに残します。カードの元の状態の唯一のコピーかもしれません。不要になったら、このフォルダーをご自分で削除してください。"

Section "Orvix2"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
!ifdef EDITOR
    File "${STAGE}/orvix2.exe"
!endif
    File "${STAGE}/orvix2-cli.exe"
    SetOutPath "$INSTDIR\locale\en\LC_MESSAGES"
    File "${STAGE}/locale/en/LC_MESSAGES/orvix2.mo"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

!ifdef EDITOR
    CreateShortCut "${SHORTCUT}" "$INSTDIR\orvix2.exe" "" "$INSTDIR\orvix2.exe" 0
    !define DISPLAY_ICON "$INSTDIR\orvix2.exe,0"
!else
    !define DISPLAY_ICON "$INSTDIR\uninstall.exe,0"
!endif

    WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${TITLE}"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "${DISPLAY_ICON}"
    WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; Only what the installer put there is removed, each file by name: settings or backups that a
; copy of the program kept in its own folder stay, and so does that folder then.
Section "Uninstall"
    SetShellVarContext current
    Delete "${SHORTCUT}"
    Delete "$INSTDIR\orvix2.exe"
    Delete "$INSTDIR\orvix2-cli.exe"
    Delete "$INSTDIR\locale\en\LC_MESSAGES\orvix2.mo"
    RMDir "$INSTDIR\locale\en\LC_MESSAGES"
    RMDir "$INSTDIR\locale\en"
    RMDir "$INSTDIR\locale"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINST_KEY}"
    DetailPrint "$(KeptFolder)"
SectionEnd
