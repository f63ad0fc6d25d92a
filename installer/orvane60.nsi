; setup.exe of Orvane 6.0: puts the suite in place, registers its servers and writes
; the entries Windows shows it by; its uninstaller takes all of that away again.
;
; Built by installer/CMakeLists.txt with these defines:
;   MODULES  folder of the modules to install (stripped copies of the built ones)
;   BIN      folder of the build's binaries: the help file and the bands' pages
;   SRC      this folder (icons, side picture)
;   IMAGES   folder of the pictures that go beside the modules (images\)
;   OUTFILE  the setup program to write
;   VERSION  four-part version, e.g. 6.0.0.30
;   HAVE_FENWOLD, HAVE_GASTREL   the shell extension and the bands are built
;   FAILING_SERVER  (tests only) one more server, registered last, whose registration fails
;
; Either everything is done or nothing: setup checks first that no file it replaces is in
; use, keeps the files of an installed copy aside until the new one is registered, and
; on any failure undoes what it did and puts the old copy back. The uninstaller checks
; the same before it removes anything.

Unicode true
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh

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
!define BACKUP "$INSTDIR\~setup-previous"
; The SCSI manager. The simulated one answers to the name of one of its own exports.
!define MANAGER "wnvrax32.dll"
!define SIMULATOR_EXPORT "VraxSimLoadBus"

Name "${PRODUCT}"
Caption "${PRODUCT} Setup"
UninstallCaption "${PRODUCT} Uninstall"
; The name administrators look for, shims or not.
!pragma warning disable 9000
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Velmora\Orvane 6.0"
BrandingText "${MAKER} ${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show
; Files replaced while something has them open are found before anything is touched.
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
Var demoOurs         ; 1: the manager in the system folder is the demo copy this suite put there
Var failure          ; what went wrong, shown and logged; empty while all is well
Var attempted        ; servers whose registration was started
Var counter

; ---- what is installed ----------------------------------------------------------------

; Every file of the suite, as (folder below $INSTDIR, name, source); macro CMD is
; inserted once per file.
!macro forEachFile CMD
  !insertmacro ${CMD} "" "corvath.dll" "${MODULES}\corvath.dll"
  !insertmacro ${CMD} "" "dunmere.cpl" "${MODULES}\dunmere.cpl"
  !insertmacro ${CMD} "" "pellmark.exe" "${MODULES}\pellmark.exe"
  !ifdef HAVE_FENWOLD
    !insertmacro ${CMD} "" "fenwold.dll" "${MODULES}\fenwold.dll"
  !endif
  !ifdef HAVE_GASTREL
    !insertmacro ${CMD} "" "gastrel.dll" "${MODULES}\gastrel.dll"
  !endif
  !ifdef FAILING_SERVER
    !insertmacro ${CMD} "" "failing_server.dll" "${FAILING_SERVER}"
  !endif
  !insertmacro ${CMD} "" "orvane60.chm" "${BIN}\orvane60.chm"
  ; Pages the bands offer, when the build has them.
  !if /FileExists "${BIN}\wbhome.html"
    !insertmacro ${CMD} "" "wbhome.html" "${BIN}\wbhome.html"
  !endif
  !if /FileExists "${BIN}\Learnpath32.hlp"
    !insertmacro ${CMD} "" "Learnpath32.hlp" "${BIN}\Learnpath32.hlp"
  !endif
  !insertmacro ${CMD} "images" "devbackground.bmp" "${IMAGES}\devbackground.bmp"
  !insertmacro ${CMD} "images" "backgrounder.bmp" "${IMAGES}\backgrounder.bmp"
!macroend

; The self-registering servers, in registration order.
!macro forEachServer CMD
  !insertmacro ${CMD} "corvath.dll"
  !ifdef HAVE_FENWOLD
    !insertmacro ${CMD} "fenwold.dll"
  !endif
  !ifdef HAVE_GASTREL
    !insertmacro ${CMD} "gastrel.dll"
  !endif
  !ifdef FAILING_SERVER
    !insertmacro ${CMD} "failing_server.dll"
  !endif
!macroend

Section "${PRODUCT}" secSuite
  SectionIn RO
SectionEnd

Section "Demo bus" secDemo
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${secSuite} "The SCSI Explorer in the Control Panel and \
    as a program, the SCSI folder, the SCSI bands and the help file."
  !insertmacro MUI_DESCRIPTION_TEXT ${secDemo} "A simulated SCSI manager with a virtual bus \
    of host adapters and devices, for trying the suite without adapters. Not offered when \
    a SCSI manager is already installed."
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

!macro checkPathFree PATH
  ${If} $failure == ""
    StrCpy $R0 "${PATH}"
    Call ${__CHECK_PREFIX}isFree
    ${If} $R1 == 0
      StrCpy $failure "$R0 is in use (error $R3)."
    ${EndIf}
  ${EndIf}
!macroend

; The uninstaller itself: the uninstall launcher starts its temporary copy and exits at
; once, so the file may still be held for a moment when the copy looks at it; only one
; that stays held for 10 s counts as in use.
!macro checkUninstallerFree
  ${If} $failure == ""
    StrCpy $R0 "$INSTDIR\uninstall.exe"
    StrCpy $R4 0
    ${Do}
      Call ${__CHECK_PREFIX}isFree
      ${IfThen} $R1 == 1 ${|} ${ExitDo} ${|}
      IntOp $R4 $R4 + 1
      ${IfThen} $R4 >= 100 ${|} ${ExitDo} ${|}
      Sleep 100
    ${Loop}
    ${If} $R1 == 0
      StrCpy $failure "$R0 is in use (error $R3)."
    ${EndIf}
  ${EndIf}
!macroend

!macro checkFree DIR NAME SOURCE
  !insertmacro relativePath "${DIR}" "${NAME}"
  !insertmacro checkPathFree "$INSTDIR\${REL}"
!macroend

; Sets $failure when a file that would be replaced or removed is in use.
!macro checkNothingInUse PREFIX
  !define __CHECK_PREFIX "${PREFIX}"
  !insertmacro forEachFile checkFree
  !insertmacro checkUninstallerFree
  ${If} $demoOurs == 1
    !insertmacro checkPathFree "$SYSDIR\${MANAGER}"
  ${EndIf}
  !undef __CHECK_PREFIX
!macroend

; $R1 = 1 when the manager in the system folder is a simulated one.
!macro defineIsSimulator PREFIX
Function ${PREFIX}isSimulator
  StrCpy $R1 0
  ; DONT_RESOLVE_DLL_REFERENCES: look at its exports without running it.
  System::Call 'kernel32::LoadLibraryExW(w "$SYSDIR\${MANAGER}", p 0, i 1) p .R2'
  ${If} $R2 P<> 0
    System::Call 'kernel32::GetProcAddress(p R2, m "${SIMULATOR_EXPORT}") p .R3'
    ${If} $R3 P<> 0
      StrCpy $R1 1
    ${EndIf}
    System::Call 'kernel32::FreeLibrary(p R2)'
  ${EndIf}
FunctionEnd
!macroend
!insertmacro defineIsSimulator ""
!insertmacro defineIsSimulator "un."

; $demoOurs: the demo manager is there and this suite's setup put it there.
!macro defineFindDemo PREFIX
Function ${PREFIX}findDemo
  StrCpy $demoOurs 0
  ReadRegDWORD $R0 HKLM "${UNINST_KEY}" "DemoBus"
  ${If} $R0 = 1
  ${AndIf} ${FileExists} "$SYSDIR\${MANAGER}"
    Call ${PREFIX}isSimulator
    StrCpy $demoOurs $R1
  ${EndIf}
FunctionEnd
!macroend
!insertmacro defineFindDemo ""
!insertmacro defineFindDemo "un."

; regsvr32 in its own process: a server that crashes while registering cannot take
; setup down with it. $R1 is its exit code (0: registered).
!macro defineRegsvr PREFIX
Function ${PREFIX}regsvr
  ; $R0: "" or "/u ", $R2: the module
  ClearErrors
  ExecWait '"$SYSDIR\regsvr32.exe" /s $R0"$R2"' $R1
  ${If} ${Errors}
    StrCpy $R1 -1
  ${EndIf}
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

; ---- setup --------------------------------------------------------------------------------

Function .onInit
  SetShellVarContext all
  StrCpy $upgrade 0
  ReadRegStr $R0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $R0 != ""
    ; A second setup replaces the installed copy where it is.
    StrCpy $INSTDIR $R0
    StrCpy $upgrade 1
  ${EndIf}
  Call findDemo
  ${If} ${FileExists} "$SYSDIR\${MANAGER}"
  ${AndIf} $demoOurs != 1
    ; Somebody else's manager: never replaced, so the demo is not offered.
    !insertmacro UnselectSection ${secDemo}
    !insertmacro SetSectionFlag ${secDemo} ${SF_RO}
    SectionSetText ${secDemo} "Demo bus (a SCSI manager is installed)"
  ${EndIf}
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

!macro backUpFile DIR NAME SOURCE
  !insertmacro relativePath "${DIR}" "${NAME}"
  ${If} $failure == ""
  ${AndIf} ${FileExists} "$INSTDIR\${REL}"
    CreateDirectory "${BACKUP}\${DIR}"
    ClearErrors
    Rename "$INSTDIR\${REL}" "${BACKUP}\${REL}"
    ${If} ${Errors}
      StrCpy $failure "$INSTDIR\${REL} could not be moved aside."
    ${EndIf}
  ${EndIf}
!macroend

!macro restoreFile DIR NAME SOURCE
  !insertmacro relativePath "${DIR}" "${NAME}"
  ${If} ${FileExists} "${BACKUP}\${REL}"
    Delete "$INSTDIR\${REL}"
    Rename "${BACKUP}\${REL}" "$INSTDIR\${REL}"
  ${EndIf}
!macroend

!macro deleteFile DIR NAME SOURCE
  !insertmacro relativePath "${DIR}" "${NAME}"
  Delete "$INSTDIR\${REL}"
!macroend

!macro registerServer NAME
  ${If} $failure == ""
    IntOp $attempted $attempted + 1
    DetailPrint "Registering ${NAME}"
    StrCpy $R0 ""
    StrCpy $R2 "$INSTDIR\${NAME}"
    Call regsvr
    ${If} $R1 != 0
      StrCpy $failure "${NAME} could not be registered (regsvr32 ended with $R1)."
    ${EndIf}
  ${EndIf}
!macroend

; Unregisters the first $attempted servers, the one that failed included: it may have
; written part of its keys.
!macro unregisterAttempted NAME
  IntOp $counter $counter + 1
  ${If} $counter <= $attempted
    StrCpy $R0 "/u "
    StrCpy $R2 "$INSTDIR\${NAME}"
    Call regsvr
  ${EndIf}
!macroend

!macro reregisterOld NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    StrCpy $R0 ""
    StrCpy $R2 "$INSTDIR\${NAME}"
    Call regsvr
  ${EndIf}
!macroend

; Corvath answers success even when its keys did not all arrive, so its registration
; is checked by what a client looks up: the ProgID's class and that class's server.
Function checkCorvathKeys
  ReadRegStr $R0 HKCR "Corvath.CorvathObj\CLSID" ""
  ReadRegStr $R1 HKCR "CLSID\$R0\InprocServer32" ""
  ${If} $R0 == ""
  ${OrIf} $R1 != "$INSTDIR\corvath.dll"
    StrCpy $failure "corvath.dll did not register its class (found $\"$R1$\")."
  ${EndIf}
FunctionEnd

; Undoes this run: its registrations and files, then puts an installed copy back.
Function rollBack
  DetailPrint "Undoing the changes: $failure"
  ; Out of the install folder, which could not go while it is the current one.
  SetOutPath "$TEMP"
  StrCpy $counter 0
  !insertmacro forEachServer unregisterAttempted
  !insertmacro forEachFile deleteFile
  ${If} $upgrade == 1
    Delete "$INSTDIR\uninstall.exe"
    !insertmacro forEachFile restoreFile
    !insertmacro restoreFile "" "uninstall.exe" ""
    RMDir "${BACKUP}\images"
    RMDir "${BACKUP}"
    !insertmacro forEachServer reregisterOld
  ${Else}
    Delete "$INSTDIR\uninstall.exe"
    DeleteRegKey HKLM "${UNINST_KEY}"
    DeleteRegKey HKLM "${APP_PATH_KEY}"
    DeleteRegValue HKLM "${CPLS_KEY}" "${CPL_VALUE}"
    Delete "${MENU_FOLDER}\${EXPLORER_LINK}"
    Delete "${MENU_FOLDER}\${HELP_LINK}"
    RMDir "${MENU_FOLDER}"
    RMDir "$INSTDIR\images"
    RMDir "$INSTDIR"
    RMDir "$PROGRAMFILES\Velmora"
  ${EndIf}
FunctionEnd

Function refuse
  DetailPrint "Setup stopped: $failure"
  MessageBox MB_OK|MB_ICONSTOP "Setup cannot install ${PRODUCT}:$\r$\n$\r$\n$failure$\r$\n$\r$\n\
    Nothing was changed. Close every SCSI Explorer window, the Control Panel and the \
    Explorer windows that show the SCSI folder or bands, then run setup again." /SD IDOK
  SetErrorLevel 2
  Abort
FunctionEnd

Section "-install"
  StrCpy $failure ""
  StrCpy $attempted 0

  !insertmacro checkNothingInUse ""
  ${If} $failure != ""
    Call refuse
  ${EndIf}

  ${If} $upgrade == 1
    DetailPrint "Moving the installed copy aside"
    RMDir /r "${BACKUP}"
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

  ; The demo manager goes to the system folder: Corvath loads it by name into the
  ; Control Panel's and the shell's processes, whose own folders are not ours.
  ${If} $failure == ""
    ${If} ${SectionIsSelected} ${secDemo}
      SetOutPath "$SYSDIR"
      ClearErrors
      File "${MODULES}\${MANAGER}"
      ${If} ${Errors}
        StrCpy $failure "$SYSDIR\${MANAGER} could not be written."
      ${Else}
        WriteRegDWORD HKLM "${UNINST_KEY}" "DemoBus" 1
      ${EndIf}
    ${ElseIf} $demoOurs == 1
      ; Chosen away on this run: it goes, the way the uninstaller would take it.
      Delete "$SYSDIR\${MANAGER}"
      Call forgetDemoPorts
      WriteRegDWORD HKLM "${UNINST_KEY}" "DemoBus" 0
    ${Else}
      WriteRegDWORD HKLM "${UNINST_KEY}" "DemoBus" 0
    ${EndIf}
  ${EndIf}

  ${If} $failure != ""
    Call rollBack
    Call refuse
  ${EndIf}

  ; Committed: the previous copy is no longer needed.
  RMDir /r "${BACKUP}"
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $R0
SectionEnd

; ---- uninstall ----------------------------------------------------------------------------

Function un.onInit
  SetShellVarContext all
  Call un.findDemo
FunctionEnd

!macro unregisterServer NAME
  ${If} $failure == ""
    DetailPrint "Unregistering ${NAME}"
    StrCpy $R0 "/u "
    StrCpy $R2 "$INSTDIR\${NAME}"
    Call un.regsvr
    ${If} $R1 != 0
      StrCpy $failure "${NAME} could not be unregistered (regsvr32 ended with $R1)."
    ${Else}
      IntOp $attempted $attempted + 1
    ${EndIf}
  ${EndIf}
!macroend

; Registers again the servers the uninstaller had already unregistered.
!macro reregisterUnregistered NAME
  IntOp $counter $counter + 1
  ${If} $counter <= $attempted
    StrCpy $R0 ""
    StrCpy $R2 "$INSTDIR\${NAME}"
    Call un.regsvr
  ${EndIf}
!macroend

Function un.refuse
  DetailPrint "Uninstall stopped: $failure"
  MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} cannot be removed:$\r$\n$\r$\n$failure$\r$\n$\r$\n\
    Nothing was removed. Close every SCSI Explorer window, the Control Panel and the \
    Explorer windows that show the SCSI folder or bands, then try again." /SD IDOK
  SetErrorLevel 2
  Abort
FunctionEnd

Section "Uninstall"
  StrCpy $failure ""
  StrCpy $attempted 0
  !insertmacro checkNothingInUse "un."
  ${If} $failure != ""
    Call un.refuse
  ${EndIf}

  !insertmacro forEachServer unregisterServer
  ${If} $failure != ""
    StrCpy $counter 0
    !insertmacro forEachServer reregisterUnregistered
    Call un.refuse
  ${EndIf}

  !insertmacro forEachFile deleteFile
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\images"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES\Velmora"

  Delete "${MENU_FOLDER}\${EXPLORER_LINK}"
  Delete "${MENU_FOLDER}\${HELP_LINK}"
  RMDir "${MENU_FOLDER}"

  ${If} $demoOurs == 1
    Delete "$SYSDIR\${MANAGER}"
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
SectionEnd
