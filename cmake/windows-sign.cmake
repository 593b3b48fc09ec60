# Run by CPack once it has laid out the installer's files, before makensis packs them:
# signs every program and library there (scripts/sign-windows.sh, which does nothing
# without a certificate). After the staging install, whose stripping would break a
# signature made earlier.
file(GLOB_RECURSE _binaries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.exe"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.dll")
if(_binaries)
  execute_process(COMMAND bash "${CMAKE_CURRENT_LIST_DIR}/../scripts/sign-windows.sh" ${_binaries}
                  RESULT_VARIABLE _signed)
  if(NOT _signed EQUAL 0)
    message(FATAL_ERROR "signing the installer's files failed")
  endif()
endif()
