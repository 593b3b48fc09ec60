# Checks that the C++ sources are formatted as .clang-format says: every tracked .cpp and .h
# under src, tests, bench, fuzz and tools (all of them there when git is not at hand).
# cmake -DSOURCE_DIR=<repo> -DCLANG_FORMAT=<clang-format or empty> -P format_check.cmake
if(NOT CLANG_FORMAT)
  message("format_check SKIPPED: clang-format was not found (Debian package clang-format)")
  return()
endif()

set(folders src tests bench fuzz tools)
set(files)
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
  set(patterns)
  foreach(folder IN LISTS folders)
    list(APPEND patterns "${folder}/*.cpp" "${folder}/*.h")
  endforeach()
  execute_process(COMMAND "${GIT_EXECUTABLE}" ls-files -- ${patterns}
                  WORKING_DIRECTORY "${SOURCE_DIR}" OUTPUT_VARIABLE listed RESULT_VARIABLE status)
  if(status EQUAL 0)
    string(REPLACE "\n" ";" files "${listed}")
    list(FILTER files EXCLUDE REGEX "^$")
  endif()
endif()
if(NOT files)
  foreach(folder IN LISTS folders)
    file(GLOB_RECURSE found RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.cpp"
         "${SOURCE_DIR}/${folder}/*.h")
    list(APPEND files ${found})
  endforeach()
endif()
list(LENGTH files count)
if(count EQUAL 0)
  message(FATAL_ERROR "format_check: no sources found under ${SOURCE_DIR}")
endif()

execute_process(COMMAND "${CLANG_FORMAT}" --dry-run --Werror ${files}
                WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "format_check: the files above differ from .clang-format; "
                      "run clang-format -i on them")
endif()
message("format_check: ${count} files as .clang-format has them")
