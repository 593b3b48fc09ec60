# Writes the identity default ramp, "monitor.txt": 256 lines "r,g,b", entry j being
# 257 * j in the signed 16-bit form the file has always used (65535 is written -1),
# with CR LF line ends. Usage: cmake -DOUT=<file> -P monitor_txt.cmake
if(NOT OUT)
  message(FATAL_ERROR "monitor_txt.cmake: OUT is not set")
endif()
set(text "")
foreach(j RANGE 255)
  math(EXPR value "257 * ${j}")
  if(value GREATER_EQUAL 32768)
    math(EXPR value "${value} - 65536")
  endif()
  string(APPEND text "${value},${value},${value}\r\n")
endforeach()
# Written beside and renamed, so a build that stops half-way never leaves a short file.
file(WRITE "${OUT}.tmp" "${text}")
file(RENAME "${OUT}.tmp" "${OUT}")
