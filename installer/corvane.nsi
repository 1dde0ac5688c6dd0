; corvane-setup.exe: per-machine installer of Corvane 2004 - 64-bit Edition.
;
; makensis -DPRODUCT=<name> -DPRODUCT_TITLE=<title> -DCLSID=<class> -DIID=<interface>
;          -DLIBID=<type library> -DCORVANE_DLL=<Corvane.dll> -DHASH_DLL=<Hash.dll>
;          -DOUTFILE=<setup.exe>
;          [-DVERSION=x.y.z] [-DSTUB_TARGET=amd64-unicode|x86-ansi]
;          [-DSIGN_SCRIPT=<tools/sign.sh, its certificate in the environment>] corvane.nsi
;
; The installer writes what the two DLLs leave to their installation: the registry value that names
; the hash module, the context-menu handler key for every file and the shell's approval of the class.
; Keys it had to create on the way are remembered in its uninstall entry, so that the uninstaller
; removes exactly those and leaves the machine as it found it.
;
; Registering Corvane.dll writes keys of its own (class, ProgIDs, interface, type library); the
; installer records which of them appeared, so that the uninstaller removes them even when the DLL
; is missing or broken. It likewise records the topmost folder it had to create.
;
; An earlier installation is upgraded where it is; an explicit /D elsewhere moves it, and the
; earlier folder goes only once the new installation is registered. A failure before that puts back
; the earlier installation's files and registers its server again.
;
; A shell that holds the handler keeps Corvane.dll (and, during a command, Hash.dll) loaded. Such a
; file cannot be overwritten or deleted, but it can be renamed: an upgrade unpacks the new files
; beside the old ones first, then swaps each in; a replaced or removed file that is still loaded is
; renamed to a name of its own and only that name is deleted at restart. A restart operation that
; names a file of the installation all the same (a file that could not even be renamed) is dropped
; by the next installation before it unpacks, so a restart never takes what a later installation
; put in place. Either sets the reboot flag and says so.

; The build reads the product's name, title and identifiers from the headers that state them
; (cmake/CorvaneFacts.cmake).
!ifndef PRODUCT | PRODUCT_TITLE | CLSID | IID | LIBID | CORVANE_DLL | HASH_DLL | OUTFILE
  !error "PRODUCT, PRODUCT_TITLE, CLSID, IID, LIBID, CORVANE_DLL, HASH_DLL and OUTFILE must be defined"
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

!include FileFunc.nsh
!include LogicLib.nsh
!include MUI2.nsh
!include x64.nsh

!define WOW64_CLASSES "Software\Classes\Wow6432Node"
!define PRODUCT_KEY "Software\${PRODUCT}"
!define HANDLERS_KEY "*\shellex\ContextMenuHandlers"
!define HANDLER_KEY "${HANDLERS_KEY}\${PRODUCT}"
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved"
!define UNINSTALL_PARENT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINSTALL_KEY "${UNINSTALL_PARENT}\${PRODUCT}"
!define UNINSTALLER "Uninstall.exe"
; File operations left for the restart: pairs of NT paths, the second one empty for a removal.
!define SESSION_MANAGER "System\CurrentControlSet\Control\Session Manager"
!define HKLM_HANDLE -2147483646
; RegGetValueW's first arguments for them, as a REG_MULTI_SZ (RRF_RT_REG_MULTI_SZ).
!define PENDING_OPERATIONS 'p ${HKLM_HANDLE}, w "${SESSION_MANAGER}", w "PendingFileRenameOperations", i 0x20, p 0'

Name "${PRODUCT_TITLE}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT_TITLE} ${VERSION}"

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
VIAddVersionKey "FileDescription" "${PRODUCT_TITLE} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

Var created_handlers ; topmost key of the handler's parent chain that this installation created
Var created_approved ; likewise for the approval list
Var created_uninstall ; likewise for the installed-programs list
Var created_folder ; topmost folder of $INSTDIR's chain that this installation created
Var server_keys ; bits of the server's keys (ForEachServerKey) that its registration wrote
Var upgrading ; 1 when the earlier installation has an uninstall entry
Var earlier ; folder of the earlier installation, "" when there is none
Var earlier_created_folder ; its created_folder
Var modules ; $INSTDIR as the modules name it: its short path where the long one is not 8-bit
Var kept ; what a failure leaves, for its message
Var registering ; 1 once DllRegisterServer was called
Var keys_before ; server keys there before registering
Var failed ; 1 when a new file could not be put in place
Var aside_uninstaller ; where each replaced file was renamed to, "" for none, "in use" when it
Var aside_hash ; could not be renamed
Var aside_server

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

; Every key that registering Corvane.dll may write below the shared lists, with its bit: the class,
; its ProgIDs, the interface and the type library, and the copies that the platform's type library
; registration makes for 32-bit programs.
!macro ForEachServerKey MACRO
  !insertmacro ${MACRO} 1 HKCR "Tamsel.TamselShell.1"
  !insertmacro ${MACRO} 2 HKCR "Tamsel.TamselShell"
  !insertmacro ${MACRO} 4 HKCR "CLSID\${CLSID}"
  !insertmacro ${MACRO} 8 HKCR "Interface\${IID}"
  !insertmacro ${MACRO} 16 HKCR "TypeLib\${LIBID}"
  !insertmacro ${MACRO} 32 HKLM "${WOW64_CLASSES}\CLSID\${CLSID}"
  !insertmacro ${MACRO} 64 HKLM "${WOW64_CLASSES}\Interface\${IID}"
  !insertmacro ${MACRO} 128 HKLM "${WOW64_CLASSES}\TypeLib\${LIBID}"
!macroend
; Every bit above: what an installation made before these were recorded may have written.
!define ALL_SERVER_KEYS 255

; Adds BIT to $R6 when ROOT\KEY exists.
!macro NoteServerKey BIT ROOT KEY
  !insertmacro KeyExists ${ROOT} "${KEY}"
  ${If} $0 == 1
    IntOp $R6 $R6 | ${BIT}
  ${EndIf}
!macroend

; Deletes ROOT\KEY when BIT is set in $R6.
!macro DeleteServerKey BIT ROOT KEY
  IntOp $0 $R6 & ${BIT}
  ${If} $0 != 0
    DeleteRegKey ${ROOT} "${KEY}"
  ${EndIf}
!macroend

; $R6 = bits of the server keys that exist.
!macro ServerKeysNow
  StrCpy $R6 0
  !insertmacro ForEachServerKey NoteServerKey
!macroend

; The 64-bit regsvr32 calls DllRegisterServer/DllUnregisterServer in a 64-bit process; from a 32-bit
; stub, System32 has to be reached with the file-system redirection switched off.
!macro RunRegsvr32 ARGS
  ${DisableX64FSRedirection}
  ExecWait '"$SYSDIR\regsvr32.exe" ${ARGS}' $0
  ${EnableX64FSRedirection}
!macroend

; $0 = 1 when the text on the stack converts to the ANSI code page without a character lost or
; replaced by a look-alike.
!macro Is8BitClean UN
Function ${UN}Is8BitClean
  Exch $1
  Push $2
  Push $3
  !if ${NSIS_CHAR_SIZE} > 1
    System::Alloc 4096
    Pop $3
    ; CP_ACP, WC_NO_BEST_FIT_CHARS
    System::Call 'kernel32::WideCharToMultiByte(i 0, i 0x400, w r1, i -1, p r3, i 4096, p 0, *i 0 r2) i .r0'
    System::Free $3
    ${If} $0 != 0
    ${AndIf} $2 == 0
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
  !else
    StrCpy $0 1
  !endif
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro Is8BitClean ""
!insertmacro Is8BitClean "un."

; $modules = the folder on the stack as Corvane.dll, Hash.dll and the registry name the modules in
; it: the module path is 8-bit text in the ANSI code page, so a folder that code page cannot name is
; given by its short 8.3 path. "" when it has none that can.
!macro ModuleFolder UN
Function ${UN}ModuleFolder
  Exch $1
  Push $0
  StrCpy $modules $1
  Push $1
  Call ${UN}Is8BitClean
  ${If} $0 != 1
    StrCpy $modules ""
    ClearErrors
    GetFullPathName /SHORT $0 $1
    ${IfNot} ${Errors}
      Push $0
      Call ${UN}Is8BitClean
      ${If} $0 == 1
        GetFullPathName /SHORT $modules $1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $0
  Pop $1
FunctionEnd
!macroend
!insertmacro ModuleFolder ""
!insertmacro ModuleFolder "un."

; Deletes FOLDER\NAME. A file still loaded cannot be deleted but can be renamed: it is renamed to a
; name of its own in the same folder, and that name is deleted at restart.
!macro RemoveFile FOLDER NAME
  ${If} ${FileExists} "${FOLDER}\${NAME}"
    ClearErrors
    Delete "${FOLDER}\${NAME}"
    ${If} ${Errors}
      GetTempFileName $1 "${FOLDER}"
      Delete "$1"
      ClearErrors
      Rename "${FOLDER}\${NAME}" "$1"
      ${If} ${Errors}
        ; The installation that fills the folder again drops this first.
        Delete "$1"
        Delete /REBOOTOK "${FOLDER}\${NAME}"
      ${Else}
        Delete /REBOOTOK "$1"
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

; Removes FOLDER and the folders above it up to TOP, the topmost one an installation created, as
; far as they are empty; with a file inside waiting for the restart, at restart. A folder that
; something fills again by then stays.
!macro RemoveFolders FOLDER TOP
  StrCpy $5 "${FOLDER}"
  StrCpy $6 "${TOP}"
  ${If} $6 != ""
    ${Do}
      ${If} ${RebootFlag}
        RMDir /REBOOTOK "$5"
      ${Else}
        RMDir "$5"
      ${EndIf}
      StrLen $7 $5
      StrLen $8 $6
      ${If} $5 == $6
      ${OrIf} $7 <= $8
        ${Break}
      ${EndIf}
      ${GetParent} $5 $5
    ${Loop}
  ${EndIf}
!macroend

; The files of an installation in FOLDER, and the new ones unpacked beside them.
!macro RemoveFiles FOLDER
  Delete "${FOLDER}\Corvane.dll.new"
  Delete "${FOLDER}\Hash.dll.new"
  Delete "${FOLDER}\${UNINSTALLER}.new"
  !insertmacro RemoveFile "${FOLDER}" "Corvane.dll"
  !insertmacro RemoveFile "${FOLDER}" "Hash.dll"
  !insertmacro RemoveFile "${FOLDER}" "${UNINSTALLER}"
!macroend

; The handler, the approval, the product's key and the uninstall entry, with the parent keys that
; the installation created. Expects the created_* variables to be set.
!macro RemoveEntries
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
!macroend

; Moves NAME.new over NAME. The file it replaces is renamed aside to ASIDE first, which Windows
; allows even while the file is loaded; it is deleted once the installation is complete, or put
; back if it fails. A file that cannot even be renamed ("in use") stays until the restart moves
; the new one over it. $failed becomes 1 when the new file cannot be put in place.
!macro PutInPlace NAME ASIDE
  StrCpy ${ASIDE} ""
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    GetTempFileName ${ASIDE} "$INSTDIR"
    Delete "${ASIDE}"
    ClearErrors
    Rename "$INSTDIR\${NAME}" "${ASIDE}"
    ${If} ${Errors}
      Delete "${ASIDE}"
      StrCpy ${ASIDE} "in use"
    ${EndIf}
  ${EndIf}
  ClearErrors
  ${If} ${ASIDE} == "in use"
    Rename /REBOOTOK "$INSTDIR\${NAME}.new" "$INSTDIR\${NAME}"
  ${Else}
    Rename "$INSTDIR\${NAME}.new" "$INSTDIR\${NAME}"
  ${EndIf}
  ${If} ${Errors}
    StrCpy $failed 1
  ${EndIf}
!macroend

; The replaced file goes: at once, or at restart while it is loaded.
!macro DropAside ASIDE
  ${If} ${ASIDE} != ""
  ${AndIf} ${ASIDE} != "in use"
    Delete /REBOOTOK "${ASIDE}"
  ${EndIf}
!macroend

; The new file goes and the replaced one comes back. ASIDE is "-" when nothing was replaced yet.
!macro PutBack NAME ASIDE
  Delete "$INSTDIR\${NAME}.new"
  ${If} ${ASIDE} == ""
    Delete "$INSTDIR\${NAME}"
  ${ElseIf} ${ASIDE} != "-"
  ${AndIf} ${ASIDE} != "in use"
    Delete "$INSTDIR\${NAME}"
    Rename "${ASIDE}" "$INSTDIR\${NAME}"
  ${EndIf}
!macroend

; $0 = the text after " /D=" on the command line as given, error flag when there is none. The
; installer's own copy of a /D naming a file has already been replaced by the default folder.
Function ExplicitFolder
  Push $1
  Push $2
  Push $3
  System::Call 'kernel32::GetCommandLine() t .r1'
  StrLen $2 $1
  StrCpy $3 0
  ${Do}
    ${If} $3 >= $2
      SetErrors
      ${Break}
    ${EndIf}
    StrCpy $0 $1 4 $3
    ${If} $0 S== " /D="
      IntOp $3 $3 + 4
      StrCpy $0 $1 "" $3
      ClearErrors
      ${Break}
    ${EndIf}
    IntOp $3 $3 + 1
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; $earlier, $upgrading and the records of the earlier installation.
Function FindEarlierInstallation
  StrCpy $earlier ""
  StrCpy $upgrading 0
  ClearErrors
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${IfNot} ${Errors}
  ${AndIf} $0 != ""
    StrCpy $earlier $0
    StrCpy $upgrading 1
  ${Else}
    ReadRegStr $0 HKLM "${PRODUCT_KEY}" ""
    ${If} $0 != ""
      ${GetParent} $0 $earlier
    ${EndIf}
  ${EndIf}
  ${If} $upgrading == 1
    ReadRegStr $created_handlers HKLM "${UNINSTALL_KEY}" "CreatedHandlerKeys"
    ReadRegStr $created_approved HKLM "${UNINSTALL_KEY}" "CreatedApprovalKeys"
    ReadRegStr $created_uninstall HKLM "${UNINSTALL_KEY}" "CreatedUninstallKeys"
    ; An installation made before these were recorded created its folder and wrote every key.
    ClearErrors
    ReadRegStr $earlier_created_folder HKLM "${UNINSTALL_KEY}" "CreatedFolder"
    ${If} ${Errors}
      StrCpy $earlier_created_folder $earlier
    ${EndIf}
    ClearErrors
    ReadRegDWORD $server_keys HKLM "${UNINSTALL_KEY}" "RegisteredServerKeys"
    ${If} ${Errors}
      StrCpy $server_keys ${ALL_SERVER_KEYS}
    ${EndIf}
  ${Else}
    StrCpy $earlier_created_folder $earlier
    StrCpy $server_keys 0
    StrCpy $created_handlers ""
    StrCpy $created_approved ""
    StrCpy $created_uninstall ""
    !insertmacro NoteIfMissing $created_handlers HKCR "*"
    !insertmacro NoteIfMissing $created_handlers HKCR "*\shellex"
    !insertmacro NoteIfMissing $created_handlers HKCR "${HANDLERS_KEY}"
    !insertmacro NoteIfMissing $created_approved HKLM "Software\Microsoft\Windows\CurrentVersion\Shell Extensions"
    !insertmacro NoteIfMissing $created_approved HKLM "${APPROVED_KEY}"
    !insertmacro NoteIfMissing $created_uninstall HKLM "${UNINSTALL_PARENT}"
  ${EndIf}
FunctionEnd

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT_TITLE} requires a 64-bit version of Windows." /SD IDOK
    SetErrorLevel 3
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
  Call FindEarlierInstallation
  ; An explicit /D wins; otherwise the earlier installation is upgraded where it is.
  Call ExplicitFolder
  ${IfNot} ${Errors}
    StrCpy $INSTDIR $0
  ${ElseIf} $earlier != ""
    StrCpy $INSTDIR $earlier
  ${Else}
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${EndIf}
FunctionEnd

; $R0 = why $INSTDIR cannot take the installation, "" when it can. Changes nothing.
Function CheckFolder
  StrCpy $R0 ""
  StrCpy $0 $INSTDIR 2 1
  StrCpy $1 $INSTDIR 2
  ${If} $0 != ":\"
  ${AndIf} $1 != "\\"
    StrCpy $R0 "$INSTDIR is not a full path to a folder."
  ${ElseIf} ${FileExists} "$INSTDIR"
  ${AndIfNot} ${FileExists} "$INSTDIR\*.*"
    StrCpy $R0 "$INSTDIR is a file, not a folder."
  ${EndIf}
FunctionEnd

; $0 = 1 when the folder on the stack is to be removed at restart: an uninstaller left it for a
; file still in use. Such a folder counts as one the installation creates.
Function PendingRemoval
  Exch $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  StrCpy $0 0
  StrCpy $3 0
  System::Call 'advapi32::RegGetValueW(${PENDING_OPERATIONS}, p 0, *i 0 r3) i .r2'
  ${If} $2 == 0
  ${AndIf} $3 > 0
    System::Alloc $3
    Pop $4
    System::Call 'advapi32::RegGetValueW(${PENDING_OPERATIONS}, p r4, *i r3) i .r2'
    StrCpy $5 $4
    IntPtrOp $6 $4 + $3
    ${Do}
      ${If} $2 != 0
      ${OrIf} $5 P>= $6
        ${Break}
      ${EndIf}
      System::Call 'kernel32::lstrlenW(p r5) i .r2'
      ${If} $2 == 0
        ${Break}
      ${EndIf}
      System::Call 'kernel32::lstrcpynW(w .r7, p r5, i ${NSIS_MAX_STRLEN})'
      IntOp $2 $2 + 1
      IntOp $2 $2 * 2
      IntPtrOp $5 $5 + $2
      System::Call 'kernel32::lstrlenW(p r5) i .r2'
      ${If} $2 == 0
        ; A folder's removal may name it with a final backslash.
        ${If} $7 == "\??\$1"
        ${OrIf} $7 == "\??\$1\"
          StrCpy $0 1
        ${EndIf}
      ${EndIf}
      IntOp $2 $2 + 1
      IntOp $2 $2 * 2
      IntPtrOp $5 $5 + $2
      StrCpy $2 0
    ${Loop}
    System::Free $4
  ${EndIf}
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; $R9 = 1 when the path in $R8 (an NT path, "!" first for a move that replaces its target) names a
; file that an installation in $INSTDIR puts in place.
!macro NamesInstalledFile
  StrCpy $R9 0
  StrCpy $R7 $R8 1
  ${If} $R7 == "!"
    StrCpy $R8 $R8 "" 1
  ${EndIf}
  ${If} $R8 == "\??\$INSTDIR\Corvane.dll"
  ${OrIf} $R8 == "\??\$INSTDIR\Hash.dll"
  ${OrIf} $R8 == "\??\$INSTDIR\${UNINSTALLER}"
  ${OrIf} $R8 == "\??\$INSTDIR\Corvane.dll.new"
  ${OrIf} $R8 == "\??\$INSTDIR\Hash.dll.new"
  ${OrIf} $R8 == "\??\$INSTDIR\${UNINSTALLER}.new"
    StrCpy $R9 1
  ${EndIf}
!macroend

; Drops every restart operation that names a file of the installation in $INSTDIR, as the file to
; delete or move or as the target of a move: an earlier uninstaller or upgrade left it, and the
; restart must neither take nor overwrite what this installation puts there.
Function DropPendingOperations
  StrCpy $3 0
  System::Call 'advapi32::RegGetValueW(${PENDING_OPERATIONS}, p 0, *i 0 r3) i .r2'
  ${If} $2 != 0
  ${OrIf} $3 == 0
    Return
  ${EndIf}
  System::Alloc $3
  Pop $4
  System::Alloc $3
  Pop $9
  System::Call 'advapi32::RegGetValueW(${PENDING_OPERATIONS}, p r4, *i r3) i .r2'
  StrCpy $5 $4 ; the pair read
  StrCpy $8 $9 ; where the next pair kept goes
  StrCpy $0 0 ; 1 once a pair was dropped
  IntPtrOp $6 $4 + $3
  ${Do}
    ${If} $2 != 0
    ${OrIf} $5 P>= $6
      ${Break}
    ${EndIf}
    System::Call 'kernel32::lstrlenW(p r5) i .r1'
    ${IfThen} $1 == 0 ${|} ${Break} ${|}
    System::Call 'kernel32::lstrcpynW(w .R8, p r5, i ${NSIS_MAX_STRLEN})'
    !insertmacro NamesInstalledFile
    StrCpy $7 $R9
    IntOp $1 $1 + 1
    IntOp $1 $1 * 2
    IntPtrOp $R6 $5 + $1
    System::Call 'kernel32::lstrlenW(p R6) i .r2'
    System::Call 'kernel32::lstrcpynW(w .R8, p R6, i ${NSIS_MAX_STRLEN})'
    !insertmacro NamesInstalledFile
    IntOp $2 $2 + 1
    IntOp $2 $2 * 2
    IntOp $1 $1 + $2
    ${If} $7 == 1
    ${OrIf} $R9 == 1
      StrCpy $0 1
    ${Else}
      System::Call 'kernel32::RtlMoveMemory(p r8, p r5, p r1)'
      IntPtrOp $8 $8 + $1
    ${EndIf}
    IntPtrOp $5 $5 + $1
    StrCpy $2 0
  ${Loop}
  ${If} $0 == 1
    DetailPrint "Dropping restart operations on the files of $INSTDIR"
    System::Call '*$8(&i2 0)'
    IntPtrOp $1 $8 - $9
    ${If} $1 == 0
      DeleteRegValue HKLM "${SESSION_MANAGER}" "PendingFileRenameOperations"
    ${Else}
      IntOp $1 $1 + 2
      ; REG_MULTI_SZ
      System::Call 'advapi32::RegSetKeyValueW(p ${HKLM_HANDLE}, w "${SESSION_MANAGER}", w "PendingFileRenameOperations", i 7, p r9, i r1) i .r2'
    ${EndIf}
  ${EndIf}
  System::Free $4
  System::Free $9
FunctionEnd

; Creates $INSTDIR with the folders above it that are missing; $created_folder becomes the topmost
; one created, "" when $INSTDIR was there. Error flag, and nothing created, when it cannot be made.
Function MakeFolder
  StrCpy $created_folder ""
  StrCpy $1 $INSTDIR
  ${Do}
    ${If} ${FileExists} "$1\*.*"
      Push $1
      Call PendingRemoval
      ${IfThen} $0 != 1 ${|} ${Break} ${|}
    ${EndIf}
    StrCpy $created_folder $1
    ${GetParent} $1 $1
  ${LoopUntil} $1 == ""
  ClearErrors
  ${If} $created_folder != ""
    CreateDirectory "$INSTDIR"
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    !insertmacro RemoveFolders "$INSTDIR" $created_folder
    StrCpy $created_folder ""
    SetErrors
  ${EndIf}
FunctionEnd

; Shows the reason in $R0 and what was kept, then stops with exit code 2. The log and the page get
; one sentence a line.
Function Fail
  MessageBox MB_OK|MB_ICONSTOP "$R0$\r$\n$kept" /SD IDOK
  DetailPrint "$R0"
  DetailPrint "$kept"
  SetErrorLevel 2
  ${If} $earlier != ""
    Abort "Setup failed; the earlier installation was kept."
  ${Else}
    Abort "Setup failed; nothing was installed."
  ${EndIf}
FunctionEnd

Section "${PRODUCT}" SecMain
  SectionIn RO
  SetRegView 64
  StrCpy $registering 0
  StrCpy $aside_uninstaller "-"
  StrCpy $aside_hash "-"
  StrCpy $aside_server "-"
  ${If} $earlier != ""
    StrCpy $kept "The earlier installation in $earlier was left as it was."
  ${Else}
    StrCpy $kept "Nothing was installed."
  ${EndIf}
  StrCpy $0 $INSTDIR 1 -1
  ${If} $0 == "\"
    StrCpy $INSTDIR $INSTDIR -1
  ${EndIf}
  Call CheckFolder
  ${If} $R0 != ""
    Call Fail
  ${EndIf}
  Call MakeFolder
  ${If} ${Errors}
    StrCpy $R0 "The folder $INSTDIR could not be created."
    Call Fail
  ${EndIf}
  Push $INSTDIR
  Call ModuleFolder
  ${If} $modules == ""
    !insertmacro RemoveFolders "$INSTDIR" $created_folder
    StrCpy $R0 "$INSTDIR cannot be named in this system's code page and has no short name that can; choose another folder."
    Call Fail
  ${EndIf}
  ; Upgrading in place keeps the record of the folders that the first installation created.
  ${If} $earlier == $INSTDIR
  ${AndIf} $earlier_created_folder != ""
    StrCpy $created_folder $earlier_created_folder
  ${EndIf}

  Call DropPendingOperations
  ; Nothing of an earlier installation is touched until all new files are unpacked.
  SetOutPath "$INSTDIR"
  ClearErrors
  File "/oname=Corvane.dll.new" "${CORVANE_DLL}"
  File "/oname=Hash.dll.new" "${HASH_DLL}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}.new"
  ${If} ${Errors}
    StrCpy $R0 "${PRODUCT} could not be unpacked into $INSTDIR."
    Goto put_back
  ${EndIf}
  ; The uninstaller and the hash module first, so that the server never names a missing module.
  StrCpy $failed 0
  !insertmacro PutInPlace "${UNINSTALLER}" $aside_uninstaller
  !insertmacro PutInPlace "Hash.dll" $aside_hash
  !insertmacro PutInPlace "Corvane.dll" $aside_server
  ${If} $failed == 1
    StrCpy $R0 "${PRODUCT} could not be installed in $INSTDIR."
    Goto put_back
  ${EndIf}

  DetailPrint "Registering Corvane.dll"
  !insertmacro ServerKeysNow
  StrCpy $keys_before $R6
  StrCpy $registering 1
  !insertmacro RunRegsvr32 '/s "$modules\Corvane.dll"'
  ${If} $0 != 0
    StrCpy $R0 "Corvane.dll could not be registered (DllRegisterServer failed)."
    Goto unregister
  ${EndIf}
  !insertmacro ServerKeysNow
  IntOp $0 $keys_before ~
  IntOp $0 $R6 & $0
  IntOp $server_keys $server_keys | $0

  ClearErrors
  WriteRegStr HKCR "${HANDLER_KEY}" "" "${CLSID}"
  WriteRegStr HKLM "${APPROVED_KEY}" "${CLSID}" "${PRODUCT}"
  WriteRegStr HKLM "${PRODUCT_KEY}" "" "$modules\Hash.dll"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_TITLE}"
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
  WriteRegStr HKLM "${UNINSTALL_KEY}" "CreatedFolder" "$created_folder"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "RegisteredServerKeys" $server_keys
  ${If} ${Errors}
    StrCpy $R0 "The registry entries of ${PRODUCT} could not be written."
    ${If} $earlier == ""
      !insertmacro RemoveEntries
    ${EndIf}
    Goto unregister
  ${EndIf}

  !insertmacro DropAside $aside_uninstaller
  !insertmacro DropAside $aside_hash
  !insertmacro DropAside $aside_server
  ; Moved: the earlier folder goes as an uninstall would take it.
  ${If} $earlier != ""
  ${AndIf} $earlier != $INSTDIR
    DetailPrint "Removing the earlier installation in $earlier"
    !insertmacro RemoveFiles "$earlier"
    !insertmacro RemoveFolders "$earlier" $earlier_created_folder
  ${EndIf}
  IfRebootFlag 0 +2
    DetailPrint "A program holds the handler: a restart completes the installation."
  Return

unregister:
  ; DllRegisterServer may have written the class before it failed.
  !insertmacro RunRegsvr32 '/u /s "$modules\Corvane.dll"'
  !insertmacro ServerKeysNow
  IntOp $0 $keys_before ~
  IntOp $R6 $R6 & $0
  !insertmacro ForEachServerKey DeleteServerKey
put_back:
  DetailPrint "Rolling back"
  !insertmacro PutBack "${UNINSTALLER}" $aside_uninstaller
  !insertmacro PutBack "Hash.dll" $aside_hash
  !insertmacro PutBack "Corvane.dll" $aside_server
  ; The folder cannot go while it is the working directory.
  SetOutPath "$TEMP"
  !insertmacro RemoveFolders "$INSTDIR" $created_folder
  ; A failed registration takes the class with it: the earlier server registers it again.
  ${If} $registering == 1
  ${AndIf} $earlier != ""
    Push $earlier
    Call ModuleFolder
    !insertmacro RunRegsvr32 '/s "$modules\Corvane.dll"'
  ${EndIf}
  Call Fail
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
  ; An installation made before these were recorded created its folder and wrote every key.
  ClearErrors
  ReadRegStr $created_folder HKLM "${UNINSTALL_KEY}" "CreatedFolder"
  ${If} ${Errors}
    StrCpy $created_folder $INSTDIR
  ${EndIf}
  ClearErrors
  ReadRegDWORD $R6 HKLM "${UNINSTALL_KEY}" "RegisteredServerKeys"
  ${If} ${Errors}
    StrCpy $R6 ${ALL_SERVER_KEYS}
  ${EndIf}

  ; Unregistering first: the handler key must not outlive the class it names. What a missing or
  ; broken Corvane.dll cannot take away goes by the record.
  ${If} ${FileExists} "$INSTDIR\Corvane.dll"
    DetailPrint "Unregistering Corvane.dll"
    Push $INSTDIR
    Call un.ModuleFolder
    !insertmacro RunRegsvr32 '/u /s "$modules\Corvane.dll"'
  ${EndIf}
  !insertmacro ForEachServerKey DeleteServerKey
  !insertmacro RemoveEntries

  ; The folder cannot go while it is the working directory.
  SetOutPath "$TEMP"
  !insertmacro RemoveFiles "$INSTDIR"
  !insertmacro RemoveFolders "$INSTDIR" $created_folder
  IfRebootFlag 0 +3
    DetailPrint "A program holds the handler: its files go at the next restart."
    MessageBox MB_OK|MB_ICONINFORMATION "${PRODUCT} was removed. A program still holds its handler; its files go when the computer is restarted." /SD IDOK
SectionEnd
