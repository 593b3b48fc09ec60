; The installer's own strings and checks, included into CPack's NSIS template after its
; languages (cmake/windows-package.cmake): Simplified Chinese on a Chinese Windows, English
; elsewhere.
!include "LogicLib.nsh"
!include "WinVer.nsh"

LicenseLangString OcuvellLicence ${LANG_SIMPCHINESE} "@OCUVELL_LICENCE_ZH@"
LicenseLangString OcuvellLicence ${LANG_ENGLISH} "@OCUVELL_LICENCE_EN@"

LangString OcuvellTooOld ${LANG_SIMPCHINESE} "Ocuvell 需要 Windows 10 1809 (内部版本 17763) 或更高版本。"
LangString OcuvellTooOld ${LANG_ENGLISH} "Ocuvell needs Windows 10 version 1809 (build 17763) or later."
LangString OcuvellRunning ${LANG_SIMPCHINESE} "Ocuvell 正在运行。请从通知区域图标的菜单中选择“退出”，然后点击“重试”。"
LangString OcuvellRunning ${LANG_ENGLISH} "Ocuvell is running. End it (Exit in the menu of its icon in the notification area), then click Retry."
LangString OcuvellStartAtLoginText ${LANG_SIMPCHINESE} "登录时启动 Ocuvell"
LangString OcuvellStartAtLoginText ${LANG_ENGLISH} "Start Ocuvell when I log in"
LangString OcuvellStrongerText ${LANG_SIMPCHINESE} "允许更大幅度的颜色调整 (对所有用户生效)"
LangString OcuvellStrongerText ${LANG_ENGLISH} "Allow stronger colour changes (for all users)"

; The program's single-instance mutex (src/core/instance/single_instance_win32.cpp).
!define OCUVELL_MUTEX "Local\Tevaro.Ocuvell.ocuvell"

!macro OCUVELL_FUNCTIONS UN
; Chinese of any region reads the Simplified pages; every other system the English ones.
Function ${UN}OcuvellChooseLanguage
  System::Call 'kernel32::GetUserDefaultUILanguage() i.r0'
  IntOp $0 $0 & 0x3ff
  ${If} $0 = 0x04
    StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
  ${Else}
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${EndIf}
FunctionEnd

; Files of a running copy cannot be replaced or removed: ask for it to be ended first. A
; silent run gives up (exit code 2) and changes nothing.
Function ${UN}OcuvellWaitForExit
  check:
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${OCUVELL_MUTEX}") p.r0'
    IntPtrCmp $0 0 free
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(OcuvellRunning)" /SD IDCANCEL IDRETRY check
    SetErrorLevel 2
    Quit
  free:
FunctionEnd

Function ${UN}OcuvellInit
  Call ${UN}OcuvellChooseLanguage
  !if "${UN}" == ""
    ${IfNot} ${AtLeastBuild} 17763
      MessageBox MB_OK|MB_ICONSTOP "$(OcuvellTooOld)" /SD IDOK
      SetErrorLevel 3
      Quit
    ${EndIf}
  !endif
  Call ${UN}OcuvellWaitForExit
FunctionEnd
!macroend
!insertmacro OCUVELL_FUNCTIONS ""
!insertmacro OCUVELL_FUNCTIONS "un."

; Windows refuses gamma ramps that stray far from identity unless this value is 256. A
; system-wide setting: asked for, never set unasked, and left in place on uninstall.
Function OcuvellAllowStrongerColours
  SetRegView 64
  WriteRegDWORD HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion\ICM" "GdiIcmGammaRange" 256
FunctionEnd
