; Vellora's installer. By default it installs for the current user alone and
; asks for no administrator: the program, its string table, the command-line
; tools and the collector with its menu page go into one folder (by default
; the user's "Programs" folder), with a Start-menu entry, ".vlx" files opening
; in Vellora, the collector registered for this user and an uninstaller that
; takes away exactly that. With /ALLUSERS, run by an administrator, the same
; goes into "Program Files" for every user of the machine (the Start menu,
; the file type and the collector's registration machine-wide). The user's
; libraries and the program's settings (HKCU\Software\Vellora) are never
; touched.
;
; Silent: VelloraSetup.exe /S [/ALLUSERS] [/D=folder]   and   Uninstall.exe /S
;
; The build passes TARGET64 for a 64-bit build, BINDIR (the folder of the built programs), ICON, VERSION
; and OUTFILE on makensis' command line.

Unicode true
!ifdef TARGET64
  Target amd64-unicode
!endif
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!ifndef BINDIR
  !error "BINDIR must name the folder of the built programs"
!endif
!ifndef VERSION
  !define VERSION "1.0.0.0"
!endif
!ifndef OUTFILE
  !define OUTFILE "VelloraSetup.exe"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellora"
!define CLASSES "Software\Classes"
!define PROGID "Vellora.Library"
; The main window's class: a running Vellora holds the files being replaced.
!define MAIN_WINDOW_CLASS "VELLORA_SYSTEM"

Name "Vellora"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Vellora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Vellora"
VIAddVersionKey "FileDescription" "Vellora Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) Vellora"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Vellora.exe"
!define MUI_FINISHPAGE_NOAUTOCLOSE

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Waits for the user to close a running Vellora; gives up (and the whole run
; with it, exit code 2) when the user cancels or nobody can answer (/S).
!macro WAIT_FOR_PROGRAM_CLOSED
  retry:
  FindWindow $0 "${MAIN_WINDOW_CLASS}"
  ${If} $0 <> 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Vellora is running. Close it, then choose Retry." /SD IDCANCEL IDRETRY retry
    Abort
  ${EndIf}
!macroend

; 1 when installing for all users: the registry root SHCTX, the Start menu
; and the collector's registration follow it.
Var AllUsers

Function .onInit
  !insertmacro WAIT_FOR_PROGRAM_CLOSED
  StrCpy $AllUsers 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    System::Call 'shell32::IsUserAnAdmin() i .r2'
    ${If} $2 == 0
      MessageBox MB_OK|MB_ICONSTOP \
        "Installing Vellora for all users needs an administrator. Run the installer as one, or without /ALLUSERS." \
        /SD IDOK
      SetErrorLevel 4
      Quit
    ${EndIf}
    StrCpy $AllUsers 1
    ; A folder given with /D stays; the per-user default becomes Program Files.
    ${If} $INSTDIR == "$LOCALAPPDATA\Programs\Vellora"
      !ifdef TARGET64
        StrCpy $INSTDIR "$PROGRAMFILES64\Vellora"
      !else
        StrCpy $INSTDIR "$PROGRAMFILES\Vellora"
      !endif
    ${EndIf}
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro WAIT_FOR_PROGRAM_CLOSED
  ; An install for all users is the one the machine's program list names here.
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Section "Vellora" SecProgram
  SectionIn RO

  SetOutPath "$INSTDIR"
  File "${BINDIR}\Vellora.exe"
  File "${BINDIR}\vlx.exe"
  File "${BINDIR}\vlxcheck.exe"
  File "${BINDIR}\LibraneCollector.dll"
  File "${BINDIR}\LibraneCollector.htm"
  SetOutPath "$INSTDIR\Cnfg"
  File "${BINDIR}\Cnfg\StringTable.stb"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Vellora.lnk" "$INSTDIR\Vellora.exe" "" "$INSTDIR\Vellora.exe" 0

  ; Library files open in Vellora and show its icon. The program takes the
  ; path with its surrounding quotes as its only argument.
  WriteRegStr SHCTX "${CLASSES}\.vlx" "" "${PROGID}"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}" "" "Vellora Library"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\Vellora.exe,0"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\Vellora.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  ; The collector writes its own registration table: for this user alone, or
  ; for the machine.
  ClearErrors
  ${If} $AllUsers == 1
    ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\LibraneCollector.dll"' $0
  ${Else}
    ExecWait '"$SYSDIR\regsvr32.exe" /s /n /i:user "$INSTDIR\LibraneCollector.dll"' $0
  ${EndIf}
  ${If} ${Errors}
  ${OrIf} $0 <> 0
    DetailPrint "The collector could not be registered (regsvr32 answered $0)."
    MessageBox MB_OK|MB_ICONEXCLAMATION \
      "Vellora is installed, but its collector could not be registered with the browser." /SD IDOK
    SetErrorLevel 3
  ${EndIf}

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Vellora"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Vellora"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vellora.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; The collector takes its own table away while its DLL is still there.
  ${If} $AllUsers == 1
    ExecWait '"$SYSDIR\regsvr32.exe" /u /s "$INSTDIR\LibraneCollector.dll"' $0
  ${Else}
    ExecWait '"$SYSDIR\regsvr32.exe" /u /s /n /i:user "$INSTDIR\LibraneCollector.dll"' $0
  ${EndIf}

  ; ".vlx" is left alone when another program has taken it over since.
  ReadRegStr $1 SHCTX "${CLASSES}\.vlx" ""
  ${If} $1 == "${PROGID}"
    DeleteRegValue SHCTX "${CLASSES}\.vlx" ""
    DeleteRegKey /ifempty SHCTX "${CLASSES}\.vlx"
  ${EndIf}
  DeleteRegKey SHCTX "${CLASSES}\${PROGID}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  Delete "$SMPROGRAMS\Vellora.lnk"

  Delete "$INSTDIR\Vellora.exe"
  Delete "$INSTDIR\vlx.exe"
  Delete "$INSTDIR\vlxcheck.exe"
  Delete /REBOOTOK "$INSTDIR\LibraneCollector.dll"
  Delete "$INSTDIR\LibraneCollector.htm"
  Delete "$INSTDIR\Cnfg\StringTable.stb"
  RMDir "$INSTDIR\Cnfg"
  ; The program's scratch folder, which it empties at exit; left over only
  ; when it was ended the hard way.
  RMDir /r "$INSTDIR\TempVL"
  Delete "$INSTDIR\Uninstall.exe"
  ; Anything else in the folder (error logs, a library kept there) is the user's.
  RMDir "$INSTDIR"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
