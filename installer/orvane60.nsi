; setup.exe of Orvane 6.0: puts the suite in place, registers its servers and writes
; the entries Windows shows it by; its uninstaller takes all of that away again.
;
; Built by installer/CMakeLists.txt with these defines:
;   MODULES32, MODULES64  folders of the modules of each width (stripped copies of the
;            built ones), each with demo\ and devices\ holding the two SCSI managers
;   BIN      folder of the build's binaries: the help file and the bands' pages
;   SRC      this folder (icons, side picture)
;   IMAGES   folder of the pictures that go beside the modules (images\)
;   OUTFILE  the setup program to write
;   VERSION  four-part version, e.g. 6.0.0.30
;   HAVE_FENWOLD, HAVE_GASTREL   the shell extension and the bands are built
;   FAILING_SERVER  (tests only) one more 64-bit server, registered last, whose
;            registration fails
;
; Setup is a 32-bit program. On 64-bit Windows it installs the 64-bit suite into the
; folder chosen and the 32-bit servers (with their help file and pictures) into its x86
; folder, registers each width in its own registry view, and puts one SCSI manager into
; each width's system folder; on 32-bit Windows only the 32-bit suite. The product's own
; entries (Add/Remove Programs, App Paths, Control Panel, shortcuts) name the suite of
; the system's width.
;
; Either everything is done or nothing: the files of an installed copy are moved aside
; until the new one is registered, and on any failure setup undoes what it did and puts
; the old copy back. A file that a running program holds (the shell keeps Fenwold and
; Gastrel loaded) is moved aside like any other: the program keeps the old copy until it
; ends, and the old copy is removed when Windows restarts. The uninstaller does the same
; with what it cannot delete at once. Either then ends with exit code 3010 (restart to
; finish) instead of 0.

Unicode true
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh
!include x64.nsh

!define PRODUCT "Orvane 6.0"
!define MAKER "Velmora"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane60"
!define APP_PATH_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Orvane"
!define CPLS_KEY "Software\Microsoft\Windows\CurrentVersion\Control Panel\Cpls"
!define CPL_VALUE "Orvane60"
!define SETTINGS_KEY "Software\Velmora\Orvane\6.0"
!define DEVICE_MAP_KEY "HARDWARE\DEVICEMAP\Scsi"
!define MENU_FOLDER "$SMPROGRAMS\Orvane 6.0"
!define EXPLORER_LINK "Velmora SCSI Explorer.lnk"
!define HELP_LINK "Orvane 6.0 Help.lnk"
; The SCSI manager, one in each width's system folder.
!define MANAGER "wnvrax32.dll"
; Exit code of a setup or uninstall that finishes when Windows restarts.
!define RESTART_TO_FINISH 3010

Name "${PRODUCT}"
Caption "${PRODUCT} Setup"
UninstallCaption "${PRODUCT} Uninstall"
; The name administrators look for, shims or not.
!pragma warning disable 9000
OutFile "${OUTFILE}"
; Set in .onInit by the system's width, unless /D= or an installed copy gives one.
InstallDir ""
BrandingText "${MAKER} ${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show
; A file that cannot be written is a failure, never skipped.
AllowSkipFiles off

VIProductVersion "${VERSION}"
VIAddVersionKey "CompanyName" "${MAKER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "InternalName" "setup"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${MAKER}"
VIAddVersionKey "OriginalFilename" "setup.exe"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"

!define MUI_ICON "${SRC}\setup.ico"
!define MUI_UNICON "${SRC}\uninstall.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SRC}\setup_side.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${SRC}\setup_side.bmp"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT}, the ${MAKER} SCSI Explorer: the \
  Control Panel entry, the SCSI Explorer program, the SCSI folder under My Computer, the \
  SCSI bands and the help file.$\r$\n$\r$\nClose every SCSI Explorer window before you \
  continue.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_PRE skipDirectoryOnUpgrade
!insertmacro MUI_PAGE_DIRECTORY
; Stays on the progress page at the end, so that what was done can be read.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\pellmark.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start the SCSI Explorer"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var upgrade          ; 1: an installed copy is replaced in place
Var x64              ; 1 on 64-bit Windows
Var failure          ; what went wrong, shown and logged; empty while all is well
Var attempted        ; servers whose registration was started
Var counter
Var backup           ; where this run keeps the installed copy until it is committed
Var held             ; files that a running program holds, moved aside, one a line
Var chosen           ; the manager section selected (radio buttons)
Var kind             ; the manager chosen: demo or devices
Var kindBefore       ; the manager an installed copy put in place: demo, devices or none
Var manager32        ; the 32-bit system folder's manager: none, ours or foreign
Var manager64        ; the same for the 64-bit one (none on 32-bit Windows)

; ---- widths -------------------------------------------------------------------------------

; Setup is a 32-bit program: on 64-bit Windows, Windows shows it the 32-bit system folder
; and registry view unless told otherwise. The system folders are named outright
; (System32 and SysWOW64), with the file system's redirection off while they are used,
; so that no path means one folder now and another at the next restart.

; $R9: the system folder of width $R5.
!macro defineSystemFolder PREFIX
Function ${PREFIX}systemFolder
  ${If} $x64 != 1
    StrCpy $R9 $SYSDIR
  ${ElseIf} $R5 == 64
    StrCpy $R9 "$WINDIR\System32"
  ${Else}
    StrCpy $R9 "$WINDIR\SysWOW64"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro defineSystemFolder ""
!insertmacro defineSystemFolder "un."

!macro systemFiles
  ${If} $x64 == 1
    ${DisableX64FSRedirection}
  ${EndIf}
!macroend
!macro endSystemFiles
  ${If} $x64 == 1
    ${EnableX64FSRedirection}
  ${EndIf}
!macroend

; The registry view of width $R5, and back to the product's (the system's width).
!macro viewOf
  ${If} $R5 == 64
    SetRegView 64
  ${Else}
    SetRegView 32
  ${EndIf}
!macroend
!macro productView
  ${If} $x64 == 1
    SetRegView 64
  ${Else}
    SetRegView 32
  ${EndIf}
!macroend

!macro defineFindWidth PREFIX
Function ${PREFIX}findWidth
  StrCpy $x64 0
  ${If} ${RunningX64}
    StrCpy $x64 1
  ${EndIf}
  !insertmacro productView
FunctionEnd
!macroend
!insertmacro defineFindWidth ""
!insertmacro defineFindWidth "un."

; ---- what is installed ----------------------------------------------------------------

; The files of one width's suite, as (folder below $INSTDIR, name, source); macro CMD is
; inserted once per file. FULL: with the Control Panel item and the program (the suite of
; the system's width); the 32-bit servers beside a 64-bit suite go without them.
!macro filesOf CMD SUB MODS FULL
  !if "${SUB}" == ""
    !define /redef _IMG "images"
  !else
    !define /redef _IMG "${SUB}\images"
  !endif
  !if ${FULL} == 1
    !insertmacro ${CMD} "${SUB}" "dunmere.cpl" "${MODS}\dunmere.cpl"
    !insertmacro ${CMD} "${SUB}" "pellmark.exe" "${MODS}\pellmark.exe"
  !endif
  !insertmacro ${CMD} "${SUB}" "corvath.dll" "${MODS}\corvath.dll"
  !ifdef HAVE_FENWOLD
    !insertmacro ${CMD} "${SUB}" "fenwold.dll" "${MODS}\fenwold.dll"
  !endif
  !ifdef HAVE_GASTREL
    !insertmacro ${CMD} "${SUB}" "gastrel.dll" "${MODS}\gastrel.dll"
  !endif
  !insertmacro ${CMD} "${SUB}" "orvane60.chm" "${BIN}\orvane60.chm"
  ; Pages the bands offer, when the build has them.
  !if /FileExists "${BIN}\wbhome.html"
    !insertmacro ${CMD} "${SUB}" "wbhome.html" "${BIN}\wbhome.html"
  !endif
  !if /FileExists "${BIN}\Learnpath32.hlp"
    !insertmacro ${CMD} "${SUB}" "Learnpath32.hlp" "${BIN}\Learnpath32.hlp"
  !endif
  !insertmacro ${CMD} "${_IMG}" "devbackground.bmp" "${IMAGES}\devbackground.bmp"
  !insertmacro ${CMD} "${_IMG}" "backgrounder.bmp" "${IMAGES}\backgrounder.bmp"
!macroend

!macro forEachFile CMD
  ${If} $x64 == 1
    !insertmacro filesOf ${CMD} "" "${MODULES64}" 1
    !insertmacro filesOf ${CMD} "x86" "${MODULES32}" 0
  ${Else}
    !insertmacro filesOf ${CMD} "" "${MODULES32}" 1
  ${EndIf}
  !ifdef FAILING_SERVER
    !insertmacro ${CMD} "" "failing_server.dll" "${FAILING_SERVER}"
  !endif
!macroend

; The self-registering servers of one width, as (folder below $INSTDIR, name, width).
!macro serversOf CMD SUB WIDTH
  !insertmacro ${CMD} "${SUB}" "corvath.dll" ${WIDTH}
  !ifdef HAVE_FENWOLD
    !insertmacro ${CMD} "${SUB}" "fenwold.dll" ${WIDTH}
  !endif
  !ifdef HAVE_GASTREL
    !insertmacro ${CMD} "${SUB}" "gastrel.dll" ${WIDTH}
  !endif
!macroend

; In registration order: the 32-bit servers first, the failing one (tests) last.
!macro forEachServer CMD
  ${If} $x64 == 1
    !insertmacro serversOf ${CMD} "x86" 32
    !insertmacro serversOf ${CMD} "" 64
    !ifdef FAILING_SERVER
      !insertmacro ${CMD} "" "failing_server.dll" 64
    !endif
  ${Else}
    !insertmacro serversOf ${CMD} "" 32
    !ifdef FAILING_SERVER
      !insertmacro ${CMD} "" "failing_server.dll" 32
    !endif
  ${EndIf}
!macroend

Section "${PRODUCT}" secSuite
  SectionIn RO
SectionEnd

SectionGroup /e "SCSI manager" secManager
  Section "This computer's devices" secDevices
  SectionEnd
  Section /o "Demo bus" secDemo
  SectionEnd
SectionGroupEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${secSuite} "The SCSI Explorer in the Control Panel and \
    as a program, the SCSI folder, the SCSI bands and the help file."
  !insertmacro MUI_DESCRIPTION_TEXT ${secManager} "How the suite reaches SCSI devices: one \
    of the two. Not offered when another SCSI manager is installed."
  !insertmacro MUI_DESCRIPTION_TEXT ${secDevices} "The host adapters and devices of this \
    computer, through Windows' SCSI pass-through (the SCSI Explorer needs administrator \
    rights for them)."
  !insertmacro MUI_DESCRIPTION_TEXT ${secDemo} "A simulated SCSI manager with a virtual bus \
    of host adapters and devices, for trying the suite without adapters."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; ---- shared pieces ----------------------------------------------------------------------

; Whether the file $R0 can be replaced or removed now: $R1 is 1 when it is absent or
; nobody has it open (a running program or a loaded library holds its file open).
!macro defineIsFree PREFIX
Function ${PREFIX}isFree
  StrCpy $R1 1
  ${If} ${FileExists} $R0
    ; GENERIC_WRITE, no sharing, OPEN_EXISTING
    System::Call 'kernel32::CreateFileW(w R0, i 0x40000000, i 0, p 0, i 3, i 0x80, p 0) p .R2 ?e'
    Pop $R3
    ${If} $R2 P= -1
      StrCpy $R1 0
    ${Else}
      System::Call 'kernel32::CloseHandle(p R2)'
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro defineIsFree ""
!insertmacro defineIsFree "un."

; REL: the file's path below $INSTDIR.
!macro relativePath DIR NAME
  !if "${DIR}" == ""
    !define /redef REL "${NAME}"
  !else
    !define /redef REL "${DIR}\${NAME}"
  !endif
!macroend

; $R1: the identity of file $R0 (size and last write), empty when it is not there. A
; manager whose identity is the one recorded at its installation is the one we put
; there; any other is somebody else's and is never replaced or removed.
!macro defineIdentity PREFIX
Function ${PREFIX}identity
  StrCpy $R1 ""
  ClearErrors
  GetFileTime $R0 $R3 $R4
  ${IfNot} ${Errors}
    FileOpen $R6 $R0 r
    ${IfNot} ${Errors}
      FileSeek $R6 0 END $R7
      FileClose $R6
      StrCpy $R1 "$R7:$R3:$R4"
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro defineIdentity ""
!insertmacro defineIdentity "un."

; $manager32, $manager64 and $kindBefore from the system folders and what an installed
; copy recorded.
!macro defineFindManagers PREFIX
Function ${PREFIX}findManagers
  StrCpy $kindBefore "none"
  ReadRegStr $R0 HKLM "${UNINST_KEY}" "Manager"
  ${If} $R0 == "demo"
  ${OrIf} $R0 == "devices"
    StrCpy $kindBefore $R0
  ${EndIf}
  !insertmacro systemFiles
  ${ForEach} $R5 32 64 + 32
    StrCpy $R8 "none"
    ${If} $R5 == 32
    ${OrIf} $x64 == 1
      Call ${PREFIX}systemFolder
      StrCpy $R0 "$R9\${MANAGER}"
      ${If} ${FileExists} $R0
        Call ${PREFIX}identity
        ReadRegStr $R2 HKLM "${UNINST_KEY}" "Manager$R5"
        StrCpy $R8 "foreign"
        ${If} $R1 != ""
        ${AndIf} $R1 == $R2
        ${AndIf} $kindBefore != "none"
          StrCpy $R8 "ours"
        ${EndIf}
      ${EndIf}
    ${EndIf}
    ${If} $R5 == 32
      StrCpy $manager32 $R8
    ${Else}
      StrCpy $manager64 $R8
    ${EndIf}
  ${Next}
  !insertmacro endSystemFiles
FunctionEnd
!macroend
!insertmacro defineFindManagers ""
!insertmacro defineFindManagers "un."

; regsvr32 of the server's width in its own process: a server that crashes while
; registering cannot take setup down with it. $R0: "" or "/u ", $R2: the module, $R5: its
; width; $R1 is regsvr32's exit code (0: done).
!macro defineRegsvr PREFIX
Function ${PREFIX}regsvr
  Call ${PREFIX}systemFolder
  !insertmacro systemFiles
  ClearErrors
  ExecWait '"$R9\regsvr32.exe" /s $R0"$R2"' $R1
  ${If} ${Errors}
    StrCpy $R1 -1
  ${EndIf}
  !insertmacro endSystemFiles
FunctionEnd
!macroend
!insertmacro defineRegsvr ""
!insertmacro defineRegsvr "un."

; The simulated manager's ports in the device map are its own (marked with its owner
; value); they go with it.
!macro defineForgetDemoPorts PREFIX
Function ${PREFIX}forgetDemoPorts
  StrCpy $R0 0
  ${Do}
    EnumRegKey $R1 HKLM "${DEVICE_MAP_KEY}" $R0
    ${If} $R1 == ""
      ${Break}
    ${EndIf}
    ClearErrors
    ReadRegDWORD $R2 HKLM "${DEVICE_MAP_KEY}\$R1" "VraxSim"
    ${If} ${Errors}
      IntOp $R0 $R0 + 1
    ${Else}
      DeleteRegKey HKLM "${DEVICE_MAP_KEY}\$R1"
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro defineForgetDemoPorts ""
!insertmacro defineForgetDemoPorts "un."

; The folder above the default install folder ("Velmora"), removed when empty.
!macro makerFolder OUT
  ${If} $x64 == 1
    StrCpy ${OUT} "$PROGRAMFILES64\${MAKER}"
  ${Else}
    StrCpy ${OUT} "$PROGRAMFILES\${MAKER}"
  ${EndIf}
!macroend

; A folder name of this run's own, beside the installed files: renaming stays on their
; volume, which is what lets a held file move.
!macro uniqueFolder OUT BASE
  System::Call 'kernel32::GetTickCount() i .s'
  Pop ${OUT}
  StrCpy ${OUT} "${BASE}-${OUT}"
!macroend

; Removes file $R0, or, when a running program holds it, moves it into folder $R8 (same
; volume) and has Windows delete it at the next restart, so that a new copy can take its
; name at once. Adds it to $held. A held file is never deleted outright, even where the
; system would let it (Wine unlinks a loaded library): its holder still reads it.
!macro defineRetire PREFIX
Function ${PREFIX}retire
  ${IfNot} ${FileExists} $R0
    Return
  ${EndIf}
  Call ${PREFIX}isFree
  ${If} $R1 == 1
    ClearErrors
    Delete $R0
    ${IfNot} ${FileExists} $R0
      Return
    ${EndIf}
  ${EndIf}
  CreateDirectory $R8
  System::Call 'kernel32::GetTickCount() i .r1'
  ${GetFileName} $R0 $R2
  StrCpy $R3 "$R8\$1-$R2"
  ClearErrors
  Rename $R0 $R3
  ${If} ${Errors}
    StrCpy $R3 $R0
  ${EndIf}
  Delete /REBOOTOK $R3
  RMDir /REBOOTOK $R8
  StrCpy $held "$held$R0$\r$\n"
  DetailPrint "In use, removed when Windows restarts: $R0"
FunctionEnd
!macroend
!insertmacro defineRetire ""
!insertmacro defineRetire "un."

; ---- setup --------------------------------------------------------------------------------

Function .onInit
  SetShellVarContext all
  Call findWidth
  StrCpy $upgrade 0
  ReadRegStr $R0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $R0 != ""
    ; A second setup replaces the installed copy where it is.
    StrCpy $INSTDIR $R0
    StrCpy $upgrade 1
  ${ElseIf} $INSTDIR == ""
    ${If} $x64 == 1
      StrCpy $INSTDIR "$PROGRAMFILES64\${MAKER}\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\${MAKER}\${PRODUCT}"
    ${EndIf}
  ${EndIf}

  Call findManagers
  ; The manager: the one an installed copy chose, or /MANAGER=demo|devices, else the
  ; devices of this computer.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/MANAGER=" $R1
  ${If} ${Errors}
    StrCpy $R1 $kindBefore
  ${EndIf}
  ${If} $R1 == "demo"
    !insertmacro UnselectSection ${secDevices}
    !insertmacro SelectSection ${secDemo}
    StrCpy $chosen ${secDemo}
  ${Else}
    StrCpy $chosen ${secDevices}
  ${EndIf}
  StrCpy $R0 $manager32
  ${If} $x64 == 1
  ${AndIf} $manager64 != "foreign"
    StrCpy $R0 $manager64
  ${EndIf}
  ${If} $R0 == "foreign"
    ; Somebody else's manager everywhere: never replaced, so neither is offered.
    !insertmacro UnselectSection ${secDevices}
    !insertmacro UnselectSection ${secDemo}
    !insertmacro SetSectionFlag ${secDevices} ${SF_RO}
    !insertmacro SetSectionFlag ${secDemo} ${SF_RO}
    !insertmacro SetSectionFlag ${secManager} ${SF_RO}
    SectionSetText ${secManager} "SCSI manager (another one is installed)"
  ${EndIf}
FunctionEnd

Function .onSelChange
  !insertmacro StartRadioButtons $chosen
    !insertmacro RadioButton ${secDevices}
    !insertmacro RadioButton ${secDemo}
  !insertmacro EndRadioButtons
FunctionEnd

Function skipDirectoryOnUpgrade
  ${If} $upgrade == 1
    Abort
  ${EndIf}
FunctionEnd

!macro putFile DIR NAME SOURCE
  !insertmacro relativePath "${DIR}" "${NAME}"
  ${If} $failure == ""
    SetOutPath "$INSTDIR\${DIR}"
    ClearErrors
    File "/oname=$INSTDIR\${REL}" "${SOURCE}"
    ${If} ${Errors}
      StrCpy $failure "$INSTDIR\${REL} could not be written."
    ${EndIf}
  ${EndIf}
!macroend

; Moves a file of the installed copy aside. A file that a running program holds moves as
; well (Windows lets a file in use change its name on its volume); one that cannot move
; stops setup.
!macro backUpPath PATH STORE
  ${If} $failure == ""
  ${AndIf} ${FileExists} "${PATH}"
    ${GetParent} "${STORE}" $R0
    CreateDirectory $R0
    StrCpy $R0 "${PATH}"
    Call isFree
    ClearErrors
    Rename "${PATH}" "${STORE}"
    ${If} ${Errors}
      StrCpy $failure "${PATH} is in use and could not be moved aside (error $R3)."
    ${ElseIf} $R1 == 0
      StrCpy $held "$held${PATH}$\r$\n"
      DetailPrint "In use, replaced: ${PATH}"
    ${EndIf}
  ${EndIf}
!macroend

!macro backUpFile DIR NAME SOURCE
  !insertmacro relativePath "${DIR}" "${NAME}"
  !insertmacro backUpPath "$INSTDIR\${REL}" "$backup\${REL}"
!macroend

!macro restorePath PATH STORE
  ${If} ${FileExists} "${STORE}"
    Delete "${PATH}"
    Rename "${STORE}" "${PATH}"
  ${EndIf}
!macroend

!macro restoreFile DIR NAME SOURCE
  !insertmacro relativePath "${DIR}" "${NAME}"
  !insertmacro restorePath "$INSTDIR\${REL}" "$backup\${REL}"
!macroend

!macro deleteFile DIR NAME SOURCE
  !insertmacro relativePath "${DIR}" "${NAME}"
  Delete "$INSTDIR\${REL}"
!macroend

!macro registerServer DIR NAME WIDTH
  !insertmacro relativePath "${DIR}" "${NAME}"
  ${If} $failure == ""
    IntOp $attempted $attempted + 1
    DetailPrint "Registering ${REL} (${WIDTH}-bit)"
    StrCpy $R0 ""
    StrCpy $R2 "$INSTDIR\${REL}"
    StrCpy $R5 ${WIDTH}
    Call regsvr
    ${If} $R1 != 0
      StrCpy $failure "${REL} could not be registered (regsvr32 ended with $R1)."
    ${EndIf}
  ${EndIf}
!macroend

; Unregisters the first $attempted servers, the one that failed included: it may have
; written part of its keys.
!macro unregisterAttempted DIR NAME WIDTH
  !insertmacro relativePath "${DIR}" "${NAME}"
  IntOp $counter $counter + 1
  ${If} $counter <= $attempted
    StrCpy $R0 "/u "
    StrCpy $R2 "$INSTDIR\${REL}"
    StrCpy $R5 ${WIDTH}
    Call regsvr
  ${EndIf}
!macroend

!macro reregisterOld DIR NAME WIDTH
  !insertmacro relativePath "${DIR}" "${NAME}"
  ${If} ${FileExists} "$INSTDIR\${REL}"
    StrCpy $R0 ""
    StrCpy $R2 "$INSTDIR\${REL}"
    StrCpy $R5 ${WIDTH}
    Call regsvr
  ${EndIf}
!macroend

; Corvath answers success even when its keys did not all arrive, so its registration
; is checked by what a client of each width looks up: the ProgID's class and that
; class's server.
!macro checkCorvathIn DIR WIDTH
  ${If} $failure == ""
    StrCpy $R5 ${WIDTH}
    !insertmacro viewOf
    !insertmacro relativePath "${DIR}" "corvath.dll"
    ReadRegStr $R0 HKCR "Corvath.CorvathObj\CLSID" ""
    ReadRegStr $R1 HKCR "CLSID\$R0\InprocServer32" ""
    ${If} $R0 == ""
    ${OrIf} $R1 != "$INSTDIR\${REL}"
      StrCpy $failure "${REL} did not register its class for ${WIDTH}-bit clients (found $\"$R1$\")."
    ${EndIf}
    !insertmacro productView
  ${EndIf}
!macroend

Function checkCorvathKeys
  ${If} $x64 == 1
    !insertmacro checkCorvathIn "x86" 32
    !insertmacro checkCorvathIn "" 64
  ${Else}
    !insertmacro checkCorvathIn "" 32
  ${EndIf}
FunctionEnd

; The manager of width $R5 (system folder $R9) into place: the kind chosen, unless
; somebody else's is there. Records its identity for the uninstaller.
!macro putManagerOf WIDTH MODS
  ${If} $failure == ""
    StrCpy $R5 ${WIDTH}
    Call systemFolder
    ${If} $manager${WIDTH} == "foreign"
      DetailPrint "Kept the SCSI manager that is in $R9"
    ${Else}
      !insertmacro systemFiles
      !insertmacro backUpPath "$R9\${MANAGER}" "$backup\system${WIDTH}\${MANAGER}"
      ClearErrors
      ${If} $kind == "demo"
        File "/oname=$R9\${MANAGER}" "${MODS}\demo\${MANAGER}"
      ${Else}
        File "/oname=$R9\${MANAGER}" "${MODS}\devices\${MANAGER}"
      ${EndIf}
      ${If} ${Errors}
        StrCpy $failure "$R9\${MANAGER} could not be written."
      ${Else}
        StrCpy $R0 "$R9\${MANAGER}"
        Call identity
        WriteRegStr HKLM "${UNINST_KEY}" "Manager${WIDTH}" $R1
      ${EndIf}
      !insertmacro endSystemFiles
    ${EndIf}
  ${EndIf}
!macroend

; The manager moved aside goes back; one that this run put where there was none goes.
!macro restoreManagerOf WIDTH
  StrCpy $R5 ${WIDTH}
  Call systemFolder
  !insertmacro systemFiles
  ${If} ${FileExists} "$backup\system${WIDTH}\${MANAGER}"
    !insertmacro restorePath "$R9\${MANAGER}" "$backup\system${WIDTH}\${MANAGER}"
  ${ElseIf} $manager${WIDTH} == "none"
    Delete "$R9\${MANAGER}"
  ${EndIf}
  !insertmacro endSystemFiles
!macroend

; Undoes this run: its registrations and files, then puts an installed copy back.
Function rollBack
  DetailPrint "Undoing the changes: $failure"
  ; Out of the install folder, which could not go while it is the current one.
  SetOutPath "$TEMP"
  StrCpy $counter 0
  !insertmacro forEachServer unregisterAttempted
  !insertmacro forEachFile deleteFile
  !insertmacro restoreManagerOf 32
  ${If} $x64 == 1
    !insertmacro restoreManagerOf 64
  ${EndIf}
  ${If} $upgrade == 1
    Delete "$INSTDIR\uninstall.exe"
    !insertmacro forEachFile restoreFile
    !insertmacro restoreFile "" "uninstall.exe" ""
    RMDir /r "$backup"
    !insertmacro forEachServer reregisterOld
    ; The installed copy's own record of its managers.
    WriteRegStr HKLM "${UNINST_KEY}" "Manager" $kindBefore
  ${Else}
    Delete "$INSTDIR\uninstall.exe"
    RMDir /r "$backup"
    DeleteRegKey HKLM "${UNINST_KEY}"
    DeleteRegKey HKLM "${APP_PATH_KEY}"
    DeleteRegValue HKLM "${CPLS_KEY}" "${CPL_VALUE}"
    Delete "${MENU_FOLDER}\${EXPLORER_LINK}"
    Delete "${MENU_FOLDER}\${HELP_LINK}"
    RMDir "${MENU_FOLDER}"
    RMDir "$INSTDIR\x86\images"
    RMDir "$INSTDIR\x86"
    RMDir "$INSTDIR\images"
    RMDir "$INSTDIR"
    !insertmacro makerFolder $R0
    RMDir $R0
  ${EndIf}
FunctionEnd

Function refuse
  DetailPrint "Setup stopped: $failure"
  MessageBox MB_OK|MB_ICONSTOP "Setup cannot install ${PRODUCT}:$\r$\n$\r$\n$failure$\r$\n$\r$\n\
    Nothing was changed. Close the program that uses the file, then run setup again." /SD IDOK
  SetErrorLevel 2
  Abort
FunctionEnd

; Tells that held files finish at the next restart; exit code 3010.
!macro defineTellRestart PREFIX
Function ${PREFIX}tellRestart
  ${If} $held != ""
    SetRebootFlag false
    DetailPrint "Restart Windows to finish: the old copies of files in use are removed then."
    MessageBox MB_OK|MB_ICONINFORMATION "These files of ${PRODUCT} are in use by a program \
      that is running (the Explorer keeps the SCSI folder and bands loaded):$\r$\n$\r$\n$held$\r$\n\
      That program goes on with the old copy until it ends; the old copies are removed when \
      Windows restarts. Restart Windows, or sign out and in again, to finish." /SD IDOK
    SetErrorLevel ${RESTART_TO_FINISH}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro defineTellRestart ""
!insertmacro defineTellRestart "un."

Section "-install"
  StrCpy $failure ""
  StrCpy $held ""
  StrCpy $attempted 0
  StrCpy $kind "devices"
  ${If} ${SectionIsSelected} ${secDemo}
    StrCpy $kind "demo"
  ${ElseIfNot} ${SectionIsSelected} ${secDevices}
    StrCpy $kind "none"
  ${EndIf}
  !insertmacro uniqueFolder $backup "$INSTDIR\~setup-previous"

  ; Everything that this run replaces moves aside first (an installed copy's files, the
  ; managers we put in place before), so that a failure can put it back.
  ${If} $upgrade == 1
    DetailPrint "Moving the installed copy aside"
    !insertmacro forEachFile backUpFile
    !insertmacro backUpFile "" "uninstall.exe" ""
  ${EndIf}

  !insertmacro forEachFile putFile
  !insertmacro forEachServer registerServer
  ${If} $failure == ""
    Call checkCorvathKeys
  ${EndIf}

  ${If} $failure == ""
    ClearErrors
    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${APP_PATH_KEY}" "Path" "$INSTDIR"
    WriteRegStr HKLM "${CPLS_KEY}" "${CPL_VALUE}" "$INSTDIR\dunmere.cpl"
    CreateDirectory "${MENU_FOLDER}"
    CreateShortCut "${MENU_FOLDER}\${EXPLORER_LINK}" "$INSTDIR\pellmark.exe" "" \
      "$INSTDIR\pellmark.exe" 0 SW_SHOWNORMAL "" "Lists the SCSI host adapters of this computer"
    CreateShortCut "${MENU_FOLDER}\${HELP_LINK}" "$INSTDIR\orvane60.chm"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "6.0"
    WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMajor" 6
    WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMinor" 0
    WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${MAKER}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\pellmark.exe,0"
    WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
    ${If} ${Errors}
      StrCpy $failure "The registry entries or shortcuts could not be written."
    ${EndIf}
  ${EndIf}

  ; The manager goes to each width's system folder: Corvath loads it by name into the
  ; Control Panel's and the shell's processes, whose own folders are not ours.
  ${If} $failure == ""
    ${If} $kind == "none"
      DetailPrint "Kept the SCSI manager that is installed"
    ${Else}
      !insertmacro putManagerOf 32 "${MODULES32}"
      ${If} $x64 == 1
        !insertmacro putManagerOf 64 "${MODULES64}"
      ${EndIf}
      ${If} $failure == ""
        WriteRegStr HKLM "${UNINST_KEY}" "Manager" $kind
        ${If} $kindBefore == "demo"
        ${AndIf} $kind != "demo"
          ; The simulated manager went: its ports go with it.
          Call forgetDemoPorts
        ${EndIf}
      ${EndIf}
    ${EndIf}
  ${EndIf}

  ${If} $failure != ""
    Call rollBack
    Call refuse
  ${EndIf}

  ; Committed: the previous copy is no longer needed; what a program still holds goes
  ; at the next restart.
  SetOutPath "$INSTDIR"
  RMDir /r /REBOOTOK "$backup"
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $R0
  Call tellRestart
SectionEnd

; ---- uninstall ----------------------------------------------------------------------------

Var inPlace          ; 1: run as uninstall.exe _?=DIR, so its own file stays for its caller
Var removed          ; folder of this run for files in use, deleted at the next restart

Function un.onInit
  SetShellVarContext all
  Call un.findWidth
  Call un.findManagers
  StrCpy $inPlace 0
  ${If} $EXEDIR == $INSTDIR
    StrCpy $inPlace 1
  ${EndIf}
FunctionEnd

!macro unregisterServer DIR NAME WIDTH
  !insertmacro relativePath "${DIR}" "${NAME}"
  ${If} $failure == ""
    DetailPrint "Unregistering ${REL} (${WIDTH}-bit)"
    StrCpy $R0 "/u "
    StrCpy $R2 "$INSTDIR\${REL}"
    StrCpy $R5 ${WIDTH}
    Call un.regsvr
    ${If} $R1 != 0
      StrCpy $failure "${REL} could not be unregistered (regsvr32 ended with $R1)."
    ${Else}
      IntOp $attempted $attempted + 1
    ${EndIf}
  ${EndIf}
!macroend

; Registers again the servers the uninstaller had already unregistered.
!macro reregisterUnregistered DIR NAME WIDTH
  !insertmacro relativePath "${DIR}" "${NAME}"
  IntOp $counter $counter + 1
  ${If} $counter <= $attempted
    StrCpy $R0 ""
    StrCpy $R2 "$INSTDIR\${REL}"
    StrCpy $R5 ${WIDTH}
    Call un.regsvr
  ${EndIf}
!macroend

!macro retireFile DIR NAME SOURCE
  !insertmacro relativePath "${DIR}" "${NAME}"
  StrCpy $R0 "$INSTDIR\${REL}"
  Call un.retire
!macroend

!macro retireManagerOf WIDTH
  ${If} $manager${WIDTH} == "ours"
    StrCpy $R5 ${WIDTH}
    Call un.systemFolder
    !insertmacro systemFiles
    StrCpy $R0 "$R9\${MANAGER}"
    Call un.retire
    !insertmacro endSystemFiles
  ${EndIf}
!macroend

Function un.refuse
  DetailPrint "Uninstall stopped: $failure"
  MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} cannot be removed:$\r$\n$\r$\n$failure$\r$\n$\r$\n\
    Nothing was removed." /SD IDOK
  SetErrorLevel 2
  Abort
FunctionEnd

Section "Uninstall"
  StrCpy $failure ""
  StrCpy $held ""
  StrCpy $attempted 0
  !insertmacro uniqueFolder $removed "$INSTDIR\~removed"

  !insertmacro forEachServer unregisterServer
  ${If} $failure != ""
    StrCpy $counter 0
    !insertmacro forEachServer reregisterUnregistered
    Call un.refuse
  ${EndIf}

  ; Out of the install folder, which could not go while it is the current one.
  SetOutPath "$TEMP"
  ; Held files move into this run's folder (un.retire).
  StrCpy $R8 $removed
  !insertmacro forEachFile retireFile
  ${If} $inPlace == 1
    DetailPrint "Left for the program that started the uninstaller: $INSTDIR\uninstall.exe"
  ${Else}
    ; The uninstaller's launcher ends as it hands over to this copy; its file is free a
    ; moment later.
    StrCpy $R0 "$INSTDIR\uninstall.exe"
    StrCpy $R4 0
    ${Do}
      Call un.isFree
      ${IfThen} $R1 == 1 ${|} ${ExitDo} ${|}
      IntOp $R4 $R4 + 1
      ${IfThen} $R4 >= 100 ${|} ${ExitDo} ${|}
      Sleep 100
    ${Loop}
    Call un.retire
  ${EndIf}
  RMDir "$INSTDIR\x86\images"
  RMDir "$INSTDIR\x86"
  RMDir "$INSTDIR\images"
  ${If} $held != ""
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    RMDir "$INSTDIR"
  ${EndIf}
  !insertmacro makerFolder $R0
  RMDir $R0

  Delete "${MENU_FOLDER}\${EXPLORER_LINK}"
  Delete "${MENU_FOLDER}\${HELP_LINK}"
  RMDir "${MENU_FOLDER}"

  !insertmacro retireManagerOf 32
  ${If} $x64 == 1
    !insertmacro retireManagerOf 64
  ${EndIf}
  ReadRegStr $R0 HKLM "${UNINST_KEY}" "Manager"
  ${If} $R0 == "demo"
    Call un.forgetDemoPorts
  ${EndIf}

  DeleteRegValue HKLM "${CPLS_KEY}" "${CPL_VALUE}"
  DeleteRegKey /ifempty HKLM "${CPLS_KEY}"
  DeleteRegKey HKLM "${APP_PATH_KEY}"
  DeleteRegKey HKLM "${UNINST_KEY}"
  ; This user's window settings and application list.
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Velmora\Orvane"
  DeleteRegKey /ifempty HKCU "Software\Velmora"
  Call un.tellRestart
SectionEnd
