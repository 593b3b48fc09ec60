# The NSIS installer of the "installed" component, through CPack (included by
# windows-package.cmake once the program's install rules are set).
set(_win ${PROJECT_SOURCE_DIR}/packaging/windows)
set(OCUVELL_ICO ${PROJECT_SOURCE_DIR}/src/ui/assets/ocuvell.ico)

# The installer. Start menu: Ocuvell and its uninstaller. The finish page offers a
# shortcut in the user's own Startup folder (unticked); a silent install makes it with
# /AUTOSTART. The uninstaller removes the files it installed and both shortcuts, and
# leaves %APPDATA%\Ocuvell and %LOCALAPPDATA%\Ocuvell, which are the user's.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR NSIS64)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Ocuvell;installed;/")
set(CPACK_PACKAGE_NAME Ocuvell)
set(CPACK_PACKAGE_VENDOR Tevaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ocuvell-${PROJECT_VERSION}-win64-setup)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "eye-care utility: screen colours and rest reminders")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Ocuvell)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Ocuvell)
set(CPACK_PACKAGE_EXECUTABLES ocuvell Ocuvell)
set(CPACK_STRIP_FILES ON)
set(CPACK_NSIS_PACKAGE_NAME Ocuvell)
set(CPACK_NSIS_DISPLAY_NAME Ocuvell)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY bin)
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\ocuvell.exe")
set(CPACK_NSIS_MUI_ICON ${OCUVELL_ICO})
set(CPACK_NSIS_MUI_UNIICON ${OCUVELL_ICO})
set(CPACK_NSIS_URL_INFO_ABOUT "https://www.tevaro.example/")
set(CPACK_NSIS_CONTACT "ocuvell@tevaro.example")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# The Startup shortcut is the user's own, whatever context the installer runs in: the
# context is switched to the user's for it and back (told apart by $SMPROGRAMS).
# A 64-bit installer for the 64-bit program (a Wine without 32-bit support runs it too).
# The finish page's second box (unticked; /STRONGERCOLOURS in a silent install) lifts
# Windows' limit on how far a gamma ramp may stray from identity.
set(CPACK_NSIS_DEFINES [[
  Target amd64-unicode
  !include "FileFunc.nsh"
  !define MUI_FINISHPAGE_SHOWREADME ""
  !define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
  !define MUI_FINISHPAGE_SHOWREADME_TEXT "$(OcuvellStartAtLoginText)"
  !define MUI_FINISHPAGE_SHOWREADME_FUNCTION OcuvellStartAtLogin
  !define MUI_FINISHPAGE_RUN
  !define MUI_FINISHPAGE_RUN_NOTCHECKED
  !define MUI_FINISHPAGE_RUN_TEXT "$(OcuvellStrongerText)"
  !define MUI_FINISHPAGE_RUN_FUNCTION OcuvellAllowStrongerColours
Function OcuvellStartAtLogin
  StrCpy $R9 $SMPROGRAMS
  SetShellVarContext current
  CreateShortCut "$SMSTARTUP\Ocuvell.lnk" "$INSTDIR\bin\ocuvell.exe"
  StrCmp $R9 $SMPROGRAMS +2 0
    SetShellVarContext all
FunctionEnd
]])
# Signed when scripts/windows.sh is given a certificate: the staged files before they are
# packed, and the uninstaller as makensis writes it into the installer.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/windows-sign.cmake)
string(APPEND CPACK_NSIS_DEFINES
       "\n  !uninstfinalize 'bash \"${PROJECT_SOURCE_DIR}/scripts/sign-windows.sh\" \"%1\"'\n")
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS [[
  Call OcuvellWaitForExit
]])
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [[
  ClearErrors
  ${GetOptions} $CMDLINE "/AUTOSTART" $R0
  IfErrors +2 0
    Call OcuvellStartAtLogin
  ClearErrors
  ${GetOptions} $CMDLINE "/STRONGERCOLOURS" $R0
  IfErrors +2 0
    Call OcuvellAllowStrongerColours
]])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [[
  StrCpy $R9 $SMPROGRAMS
  SetShellVarContext current
  Delete "$SMSTARTUP\Ocuvell.lnk"
  StrCmp $R9 $SMPROGRAMS +2 0
    SetShellVarContext all
]])

# CMake's own NSIS template with four changes, made here so that only they live in the
# tree: the languages cut to English and Simplified Chinese (packaging/windows/installer.nsh
# picks one and holds the strings and checks), the licence page showing the program's own
# licence in the page's language, and the checks first in the installer's and the
# uninstaller's start. A template that no longer has a place to change stops the build.
set(OCUVELL_LICENCE_ZH ${_win}/licence-zh.txt)
set(OCUVELL_LICENCE_EN ${_win}/licence-en.txt)
set(_nsis_dir ${CMAKE_BINARY_DIR}/nsis)
configure_file(${_win}/installer.nsh ${_nsis_dir}/installer.nsh @ONLY)
file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in _nsis)
function(_ocuvell_nsis_edit pattern replacement)
  string(REGEX REPLACE "${pattern}" "${replacement}" _edited "${_nsis}")
  if(_edited STREQUAL _nsis)
    message(FATAL_ERROR "CMake's NSIS template has no place for: ${pattern}")
  endif()
  set(_nsis "${_edited}" PARENT_SCOPE)
endfunction()
_ocuvell_nsis_edit("(!insertmacro MUI_LANGUAGE \"English\"[^\n]*\n)(  !insertmacro MUI_LANGUAGE \"[A-Za-z]+\"\n)+"
                   "\\1  !insertmacro MUI_LANGUAGE \"SimpChinese\"\n  !include \"${_nsis_dir}/installer.nsh\"\n")
_ocuvell_nsis_edit("@CPACK_NSIS_LICENSE_PAGE@" "!insertmacro MUI_PAGE_LICENSE \"$(OcuvellLicence)\"")
_ocuvell_nsis_edit("(Function \\.onInit\n)" "\\1  Call OcuvellInit\n")
_ocuvell_nsis_edit("(Function un\\.onInit\n)" "\\1  Call un.OcuvellInit\n")
file(WRITE ${_nsis_dir}/NSIS.template.in "${_nsis}")
set(CPACK_MODULE_PATH ${_nsis_dir})
include(CPack)
