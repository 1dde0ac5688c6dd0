; corvane-setup.exe: per-machine installer of Corvane 2004 - 64-bit Edition.
;
; makensis -DCORVANE_DLL=<Corvane.dll> -DHASH_DLL=<Hash.dll> -DOUTFILE=<setup.exe>
;          [-DVERSION=x.y.z] [-DSTUB_TARGET=amd64-unicode|x86-ansi]
;          [-DSIGN_SCRIPT=<tools/sign.sh, its certificate in the environment>] corvane.nsi
;
; The installer writes what the two DLLs leave to their installation: the registry value that names
; the hash module, the context-menu handler key for every file and the shell's approval of the class.
; Keys it had to create on the way are remembered in its uninstall entry, so that the uninstaller
; removes exactly those and leaves the machine as it found it.
;
; A shell that holds the handler keeps Corvane.dll (and, during a command, Hash.dll) loaded. Such a
; file cannot be overwritten or deleted, but it can be renamed: an upgrade unpacks the new files
; beside the old ones first, then swaps each in and has a loaded one deleted at restart; the
; uninstaller has loaded files deleted at restart. Either sets the reboot flag and says so.

!ifndef CORVANE_DLL | HASH_DLL | OUTFILE
  !error "CORVANE_DLL, HASH_DLL and OUTFILE must be defined"
!endif
!ifndef VERSION
  !define VERSION 0.0.0
!endif
!ifndef STUB_TARGET
  ; A 64-bit stub runs wherever the 64-bit DLLs can run, including a 64-bit-only Wine.
  !define STUB_TARGET amd64-unicode
!endif
Target ${STUB_TARGET}

; The same commit gives the same installer: the packed files keep no build time.
SetDateSave off
; A signed build has the uninstaller signed before it is packed, then the installer itself.
!ifdef SIGN_SCRIPT
  !uninstfinalize '"${SIGN_SCRIPT}" "%1"' = 0
  !finalize '"${SIGN_SCRIPT}" "%1"' = 0
!endif

!include LogicLib.nsh
!include MUI2.nsh
!include x64.nsh

!define PRODUCT "Corvane 2004"
!define CLSID "{6B0F4A10-52C3-4E7D-9A21-3C5D7E8F9A01}"
!define PRODUCT_KEY "Software\Corvane 2004"
!define HANDLERS_KEY "*\shellex\ContextMenuHandlers"
!define HANDLER_KEY "${HANDLERS_KEY}\Corvane 2004"
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved"
!define UNINSTALL_PARENT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINSTALL_KEY "${UNINSTALL_PARENT}\Corvane 2004"
!define UNINSTALLER "Uninstall.exe"

Name "${PRODUCT} - 64-bit Edition"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"

!define MUI_ABORTWARNING
; Shown instead of the finish page's usual text when a file could only be replaced at restart.
!define MUI_FINISHPAGE_TEXT_REBOOT "A program still holds the ${PRODUCT} handler. Restart the computer to complete the installation; until then that program keeps the earlier files."
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} - 64-bit Edition Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

Var created_handlers ; topmost key of the handler's parent chain that this installation created
Var created_approved ; likewise for the approval list
Var created_uninstall ; likewise for the installed-programs list
Var upgrading ; 1 when an earlier installation is there

; $0 = 1 when ROOT\KEY exists, else 0.
!macro KeyExists ROOT KEY
  ClearErrors
  EnumRegKey $0 ${ROOT} "${KEY}" 0
  ${If} ${Errors}
    StrCpy $0 0
  ${Else}
    StrCpy $0 1
  ${EndIf}
!macroend

; Sets VAR to KEY when KEY is missing and no higher key of the same chain was found missing first.
!macro NoteIfMissing VAR ROOT KEY
  ${If} ${VAR} == ""
    !insertmacro KeyExists ${ROOT} "${KEY}"
    ${If} $0 == 0
      StrCpy ${VAR} "${KEY}"
    ${EndIf}
  ${EndIf}
!macroend

; Deletes ROOT\KEY when it holds neither subkeys nor values and lies at or below TOP, the topmost key
; that the installation created in this chain.
!macro DeleteIfCreated ROOT KEY TOP
  ${If} ${TOP} != ""
    StrLen $1 "${KEY}"
    StrLen $2 ${TOP}
    ${If} $1 >= $2
      ClearErrors
      EnumRegKey $3 ${ROOT} "${KEY}" 0
      ${IfNot} ${Errors}
      ${AndIf} $3 == ""
        ; Enumerating the values of a key that has none is what fails; an unnamed default value
        ; enumerates as "" without failing.
        EnumRegValue $4 ${ROOT} "${KEY}" 0
        ${If} ${Errors}
          DeleteRegKey ${ROOT} "${KEY}"
        ${EndIf}
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

; The new files, unpacked beside the ones they replace.
!macro DeleteUnpacked
  Delete "$INSTDIR\Corvane.dll.new"
  Delete "$INSTDIR\Hash.dll.new"
  Delete "$INSTDIR\${UNINSTALLER}.new"
!macroend

; Moves NAME.new over NAME; $2 becomes "failed" when it cannot. The file it replaces is renamed
; aside first, which Windows allows even while the file is loaded, and deleted at once or, while
; still loaded, at restart. A file that cannot even be renamed stays until the restart moves the
; new one over it.
!macro PutInPlace NAME
  StrCpy $1 ""
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    GetTempFileName $1 "$INSTDIR"
    Delete "$1"
    ClearErrors
    Rename "$INSTDIR\${NAME}" "$1"
    ${If} ${Errors}
      Delete "$1"
      StrCpy $1 "in use"
    ${EndIf}
  ${EndIf}
  ClearErrors
  ${If} $1 == "in use"
    Rename /REBOOTOK "$INSTDIR\${NAME}.new" "$INSTDIR\${NAME}"
  ${Else}
    Rename "$INSTDIR\${NAME}.new" "$INSTDIR\${NAME}"
  ${EndIf}
  ${If} ${Errors}
    StrCpy $2 "failed"
    ${If} $1 != ""
    ${AndIf} $1 != "in use"
      ; Put the earlier file back rather than leave none.
      Rename "$1" "$INSTDIR\${NAME}"
    ${EndIf}
  ${ElseIf} $1 != ""
  ${AndIf} $1 != "in use"
    Delete /REBOOTOK "$1"
  ${EndIf}
!macroend

; Removes everything but the registration of the server itself; shared by the uninstaller and the
; roll-back of a failed installation. Expects the created_* variables to be set.
!macro RemoveInstallation UN
  DeleteRegKey HKCR "${HANDLER_KEY}"
  !insertmacro DeleteIfCreated HKCR "${HANDLERS_KEY}" $created_handlers
  !insertmacro DeleteIfCreated HKCR "*\shellex" $created_handlers
  !insertmacro DeleteIfCreated HKCR "*" $created_handlers

  DeleteRegValue HKLM "${APPROVED_KEY}" "${CLSID}"
  !insertmacro DeleteIfCreated HKLM "${APPROVED_KEY}" $created_approved
  !insertmacro DeleteIfCreated HKLM "Software\Microsoft\Windows\CurrentVersion\Shell Extensions" $created_approved

  DeleteRegKey HKLM "${PRODUCT_KEY}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  !insertmacro DeleteIfCreated HKLM "${UNINSTALL_PARENT}" $created_uninstall

  ; A file that a shell still has loaded goes at restart, and the folder after it.
  Delete /REBOOTOK "$INSTDIR\Corvane.dll"
  Delete /REBOOTOK "$INSTDIR\Hash.dll"
  Delete /REBOOTOK "$INSTDIR\${UNINSTALLER}"
  !insertmacro DeleteUnpacked
  ; The folder cannot go while it is the working directory.
  SetOutPath "$TEMP"
  RMDir /REBOOTOK "$INSTDIR"
!macroend

; The 64-bit regsvr32 calls DllRegisterServer/DllUnregisterServer in a 64-bit process; from a 32-bit
; stub, System32 has to be reached with the file-system redirection switched off.
!macro RunRegsvr32 ARGS
  ${DisableX64FSRedirection}
  ExecWait '"$SYSDIR\regsvr32.exe" ${ARGS}' $0
  ${EnableX64FSRedirection}
!macroend

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} - 64-bit Edition requires a 64-bit version of Windows." /SD IDOK
    SetErrorLevel 3
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
  ; A 32-bit stub resolves $PROGRAMFILES64 only at run time; honour an /D= given on the command line.
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${EndIf}
FunctionEnd

Section "Corvane 2004" SecMain
  SectionIn RO
  SetRegView 64

  ; Keys created on the way are remembered once; a repeated installation keeps the first record.
  ClearErrors
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} ${Errors}
    StrCpy $upgrading 0
    StrCpy $R1 "Nothing was installed."
    StrCpy $created_handlers ""
    StrCpy $created_approved ""
    StrCpy $created_uninstall ""
    !insertmacro NoteIfMissing $created_handlers HKCR "*"
    !insertmacro NoteIfMissing $created_handlers HKCR "*\shellex"
    !insertmacro NoteIfMissing $created_handlers HKCR "${HANDLERS_KEY}"
    !insertmacro NoteIfMissing $created_approved HKLM "Software\Microsoft\Windows\CurrentVersion\Shell Extensions"
    !insertmacro NoteIfMissing $created_approved HKLM "${APPROVED_KEY}"
    !insertmacro NoteIfMissing $created_uninstall HKLM "${UNINSTALL_PARENT}"
  ${Else}
    ; A failure once the new files are in place takes the earlier installation with it.
    StrCpy $upgrading 1
    StrCpy $R1 "The earlier installation was removed as well; run the installer again."
    ReadRegStr $created_handlers HKLM "${UNINSTALL_KEY}" "CreatedHandlerKeys"
    ReadRegStr $created_approved HKLM "${UNINSTALL_KEY}" "CreatedApprovalKeys"
    ReadRegStr $created_uninstall HKLM "${UNINSTALL_KEY}" "CreatedUninstallKeys"
  ${EndIf}

  ; Nothing of an earlier installation is touched until all new files are unpacked.
  SetOutPath "$INSTDIR"
  ClearErrors
  File "/oname=Corvane.dll.new" "${CORVANE_DLL}"
  File "/oname=Hash.dll.new" "${HASH_DLL}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}.new"
  ${If} ${Errors}
    !insertmacro DeleteUnpacked
    ${If} $upgrading == 1
      StrCpy $R0 "${PRODUCT} could not be installed in $INSTDIR.$\r$\nThe earlier installation was left as it was."
      MessageBox MB_OK|MB_ICONSTOP "$R0" /SD IDOK
      SetErrorLevel 2
      Abort "$R0"
    ${EndIf}
    Goto rollback
  ${EndIf}
  ; The uninstaller and the hash module first, so that the server never names a missing module.
  StrCpy $2 ""
  !insertmacro PutInPlace "${UNINSTALLER}"
  !insertmacro PutInPlace "Hash.dll"
  !insertmacro PutInPlace "Corvane.dll"
  ${If} $2 == "failed"
    Goto rollback
  ${EndIf}
  ClearErrors

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} - 64-bit Edition"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegStr HKLM "${UNINSTALL_KEY}" "CreatedHandlerKeys" "$created_handlers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "CreatedApprovalKeys" "$created_approved"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "CreatedUninstallKeys" "$created_uninstall"

  WriteRegStr HKLM "${PRODUCT_KEY}" "" "$INSTDIR\Hash.dll"
  ${If} ${Errors}
    Goto rollback
  ${EndIf}

  DetailPrint "Registering Corvane.dll"
  !insertmacro RunRegsvr32 '/s "$INSTDIR\Corvane.dll"'
  ${If} $0 != 0
    ; DllRegisterServer may have written the class before its type library failed.
    !insertmacro RunRegsvr32 '/u /s "$INSTDIR\Corvane.dll"'
    StrCpy $R0 "Corvane.dll could not be registered (DllRegisterServer failed).$\r$\n$R1"
    Goto rollback_with_message
  ${EndIf}

  WriteRegStr HKCR "${HANDLER_KEY}" "" "${CLSID}"
  WriteRegStr HKLM "${APPROVED_KEY}" "${CLSID}" "${PRODUCT}"
  ${If} ${Errors}
    !insertmacro RunRegsvr32 '/u /s "$INSTDIR\Corvane.dll"'
    Goto rollback
  ${EndIf}
  IfRebootFlag 0 +2
    DetailPrint "A program holds the handler: a restart completes the installation."
  Return

rollback:
  StrCpy $R0 "${PRODUCT} could not be installed in $INSTDIR.$\r$\n$R1"
rollback_with_message:
  DetailPrint "Rolling back"
  !insertmacro RemoveInstallation ""
  MessageBox MB_OK|MB_ICONSTOP "$R0" /SD IDOK
  SetErrorLevel 2
  Abort "$R0"
SectionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  SetRegView 64
  ReadRegStr $created_handlers HKLM "${UNINSTALL_KEY}" "CreatedHandlerKeys"
  ReadRegStr $created_approved HKLM "${UNINSTALL_KEY}" "CreatedApprovalKeys"
  ReadRegStr $created_uninstall HKLM "${UNINSTALL_KEY}" "CreatedUninstallKeys"

  ; Unregistering first: the handler key must not outlive the class it names.
  ${If} ${FileExists} "$INSTDIR\Corvane.dll"
    DetailPrint "Unregistering Corvane.dll"
    !insertmacro RunRegsvr32 '/u /s "$INSTDIR\Corvane.dll"'
  ${EndIf}
  !insertmacro RemoveInstallation "un."
  IfRebootFlag 0 +3
    DetailPrint "A program holds the handler: its files go at the next restart."
    MessageBox MB_OK|MB_ICONINFORMATION "${PRODUCT} was removed. A program still holds its handler; its files go when the computer is restarted." /SD IDOK
SectionEnd
