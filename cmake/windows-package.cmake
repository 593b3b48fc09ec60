# The Windows program against Qt for Windows (scripts/windows.sh configures it with the
# mingw Qt's qt-cmake): its resources, the DLLs it needs beside it, and its two layouts.
#
#   component "installed": bin\ocuvell.exe with the DLLs, share\ocuvell\monitor.txt. The
#     share\ocuvell folder beside bin\ is what makes the program take a copy for an
#     installed one (as on Linux): its settings then go to %APPDATA%\Ocuvell. CPack's
#     NSIS generator packs this component into the installer.
#   component "portable": everything at the top level of one folder; settings beside the
#     program, as it always kept them. scripts/windows.sh zips it.

set(_win ${PROJECT_SOURCE_DIR}/packaging/windows)

# The icon, the version and the manifest, compiled in by windres.
string(REPLACE "." "," OCUVELL_VERSION_COMMAS "${PROJECT_VERSION}.0.0.0")
string(REGEX MATCH "^[0-9]+,[0-9]+,[0-9]+,[0-9]+" OCUVELL_VERSION_COMMAS "${OCUVELL_VERSION_COMMAS}")
set(OCUVELL_ICO ${PROJECT_SOURCE_DIR}/src/ui/assets/ocuvell.ico)
set(OCUVELL_MANIFEST ${_win}/ocuvell.manifest)
configure_file(${_win}/ocuvell.rc.in ${CMAKE_BINARY_DIR}/ocuvell.rc @ONLY)
target_sources(ocuvell PRIVATE ${CMAKE_BINARY_DIR}/ocuvell.rc)
set_source_files_properties(${CMAKE_BINARY_DIR}/ocuvell.rc PROPERTIES
                            OBJECT_DEPENDS "${OCUVELL_ICO};${OCUVELL_MANIFEST}")
# A window program: no console comes up beside it.
set_target_properties(ocuvell PROPERTIES WIN32_EXECUTABLE ON)

# monitor.txt, the identity default ramp, comes from the main build file, as on Linux.

# What the program loads: Qt's three libraries, the windows platform plugin, the native
# widget style, and the compiler's runtime that built them (the posix thread model's).
set(_qt_bin ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS})
set(_qt_plugins ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS})
set(_dlls ${_qt_bin}/Qt6Core.dll ${_qt_bin}/Qt6Gui.dll ${_qt_bin}/Qt6Widgets.dll)
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                  OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${_path}" OR NOT EXISTS "${_path}")
    message(FATAL_ERROR "the compiler does not know where ${runtime} is")
  endif()
  get_filename_component(_path "${_path}" REALPATH)
  list(APPEND _dlls ${_path})
endforeach()
set(_platform ${_qt_plugins}/platforms/qwindows.dll)
set(_style ${_qt_plugins}/styles/qwindowsvistastyle.dll)
foreach(f ${_dlls} ${_platform} ${_style})
  if(NOT EXISTS ${f})
    message(FATAL_ERROR "Qt for Windows lacks ${f}")
  endif()
endforeach()

# Stripped copies, made once per build, which both layouts install.
find_program(OCUVELL_MINGW_STRIP NAMES x86_64-w64-mingw32-strip REQUIRED)
set(_deploy ${CMAKE_BINARY_DIR}/deploy)
set(_deployed)
foreach(f ${_dlls})
  get_filename_component(_name ${f} NAME)
  list(APPEND _deployed ${_deploy}/${_name})
endforeach()
add_custom_command(OUTPUT ${_deploy}/done
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_deploy}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_deploy}/platforms ${_deploy}/styles
  COMMAND ${CMAKE_COMMAND} -E copy ${_dlls} ${_deploy}
  COMMAND ${CMAKE_COMMAND} -E copy ${_platform} ${_deploy}/platforms
  COMMAND ${CMAKE_COMMAND} -E copy ${_style} ${_deploy}/styles
  COMMAND ${OCUVELL_MINGW_STRIP} --strip-unneeded ${_deployed}
          ${_deploy}/platforms/qwindows.dll ${_deploy}/styles/qwindowsvistastyle.dll
  COMMAND ${CMAKE_COMMAND} -E touch ${_deploy}/done
  DEPENDS ${_dlls} ${_platform} ${_style}
  COMMENT "Stripped copies of the Qt and runtime DLLs"
  VERBATIM)
add_custom_target(ocuvell_deploy ALL DEPENDS ${_deploy}/done)

foreach(layout installed portable)
  if(layout STREQUAL installed)
    set(_bin bin)
    set(_data share/ocuvell)
  else()
    set(_bin .)
    set(_data .)
  endif()
  install(TARGETS ocuvell RUNTIME DESTINATION ${_bin} COMPONENT ${layout})
  install(FILES ${_deployed} DESTINATION ${_bin} COMPONENT ${layout})
  install(FILES ${_deploy}/platforms/qwindows.dll DESTINATION ${_bin}/platforms COMPONENT ${layout})
  install(FILES ${_deploy}/styles/qwindowsvistastyle.dll DESTINATION ${_bin}/styles
          COMPONENT ${layout})
  install(FILES ${CMAKE_BINARY_DIR}/monitor.txt DESTINATION ${_data} COMPONENT ${layout})
endforeach()

# The installer, from the "installed" component.
include(${CMAKE_CURRENT_LIST_DIR}/windows-installer.cmake)
