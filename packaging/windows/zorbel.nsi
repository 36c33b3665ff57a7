; Zorbel's Windows installer, built on Linux with makensis:
;   makensis -DVERSION=x.y.z -DBUILD_DIR=<installed files> -DOUTFILE=<exe> zorbel.nsi
; (the Windows build's `installer` target does it from its stripped install).
; It installs the bridge into Program Files, keeps a proxyconfig.xml that is
; already there (the shop's settings survive an update), installs and starts
; the service, and writes an uninstaller that stops and removes it. Both run
; silently with /S, for a shop's deployment tools.
Unicode true
; A 64-bit installer: the programs are 64-bit, and wine64 runs it as is.
Target amd64-unicode

!include "LogicLib.nsh"
!include "WordFunc.nsh"

!ifndef VERSION
  !define VERSION "0.0.0"
!endif
!ifndef BUILD_DIR
  !error "BUILD_DIR: the folder holding zorbel.exe and zorbel-cli.exe"
!endif
!ifndef OUTFILE
  !define OUTFILE "zorbel-${VERSION}-installer.exe"
!endif
!define SOURCE_DIR "${__FILEDIR__}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorbel"

Name "Zorbel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Zorbel"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var ServiceName

; The service's name as proxyconfig.xml in the installation folder sets it
; (the program's own default when the element is missing).
!macro ReadServiceName UN
Function ${UN}ReadServiceName
  StrCpy $ServiceName "Vardex Zorbel"
  ClearErrors
  FileOpen $0 "$INSTDIR\proxyconfig.xml" r
  ${If} ${Errors}
    Return
  ${EndIf}
  ${Do}
    FileRead $0 $1
    ${If} ${Errors}
      ${Break}
    ${EndIf}
    ${WordFind2X} $1 "<ServiceName>" "</ServiceName>" "E+1" $2
    ${IfNot} ${Errors}
      StrCpy $ServiceName $2
      ${Break}
    ${EndIf}
    ClearErrors
  ${Loop}
  FileClose $0
FunctionEnd
!macroend
!insertmacro ReadServiceName ""
!insertmacro ReadServiceName "un."

; Stops the service and removes it, when one of that name exists (an
; update replaces the programs of a running service).
!macro RemoveService
  Call ${__UN__}ReadServiceName
  nsExec::ExecToLog 'sc stop "$ServiceName"'
  Pop $0
  ; The manager reports STOPPED once the body has returned.
  StrCpy $1 0
  ${Do}
    nsExec::ExecToStack 'sc query "$ServiceName"'
    Pop $0
    Pop $2
    ${WordFind} $2 "STOPPED" "E+1{" $3
    ${IfNot} ${Errors}
    ${OrIf} $0 != 0
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 > 60
      ${Break}
    ${EndIf}
    Sleep 500
  ${Loop}
  IfFileExists "$INSTDIR\zorbel.exe" 0 +3
    nsExec::ExecToLog '"$INSTDIR\zorbel.exe" uninstall'
    Pop $0
!macroend

Section "Zorbel"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  !define __UN__ ""
  !insertmacro RemoveService
  !undef __UN__
  File "${BUILD_DIR}\zorbel.exe"
  File "${BUILD_DIR}\zorbel-cli.exe"
  File "${SOURCE_DIR}\README.txt"
  ; The shop's settings are never replaced.
  SetOverwrite off
  File "${SOURCE_DIR}\proxyconfig.xml"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Zorbel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Zorbel developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; "install" reads the settings of the current folder, which SetOutPath made
  ; the installation folder.
  Call ReadServiceName
  nsExec::ExecToLog '"$INSTDIR\zorbel.exe" install'
  Pop $0
  ${If} $0 != 0
    DetailPrint "zorbel.exe install: $0"
    SetErrorLevel 2
    Abort
  ${EndIf}
  nsExec::ExecToLog 'sc start "$ServiceName"'
  Pop $0
  ${If} $0 != 0
    ; A controller not plugged in yet: the service is there and retries
    ; with its recovery actions; edit proxyconfig.xml and start it.
    DetailPrint "sc start $ServiceName: $0"
  ${EndIf}
SectionEnd

; The programs and the service go; the shop's settings and log stay in the
; folder (a reinstall finds them), which is removed only when empty.
Section "Uninstall"
  SetShellVarContext all
  ; "uninstall" reads the service's name from the current folder.
  SetOutPath "$INSTDIR"
  !define __UN__ "un."
  !insertmacro RemoveService
  !undef __UN__
  SetOutPath "$TEMP"
  Delete "$INSTDIR\zorbel.exe"
  Delete "$INSTDIR\zorbel-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
