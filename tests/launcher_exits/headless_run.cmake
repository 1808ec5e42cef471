# cmake -DPROGRAM=<file> -DEXIT=<code> -DCAPTION=<text> -DTEXT=<pattern> -P headless_run.cmake
# The native counterpart of box_watch: runs PROGRAM on the headless display driver, where
# MessageBoxA writes "<caption>: <text>" and a line end to standard error and returns at
# once, and checks that it wrote exactly that one box and ended with EXIT within a
# deadline. TEXT is written as for box_watch: "\r" and "\n" stand for CR and LF, "%p" for
# a code address (hex digits).
set(ENV{LAUNCHER_DISPLAY} headless)
unset(ENV{DISPLAY})
# Through a file read as bytes: execute_process and file(READ) would both drop the CRs.
get_filename_component(name ${PROGRAM} NAME)
set(errFile ${CMAKE_CURRENT_BINARY_DIR}/${name}.stderr)
execute_process(COMMAND ${PROGRAM} TIMEOUT 60 RESULT_VARIABLE code OUTPUT_QUIET
                ERROR_FILE ${errFile})
file(READ ${errFile} bytes HEX)

# Everything it said in one line, CR and LF made visible as in TEXT.
string(REGEX MATCHALL ".." bytes "${bytes}")
set(seen "")
foreach(byte IN LISTS bytes)
  if(byte STREQUAL "0d")
    string(APPEND seen "\\r")
  elseif(byte STREQUAL "0a")
    string(APPEND seen "\\n")
  else()
    math(EXPR byte "0x${byte}")
    string(ASCII ${byte} char)
    string(APPEND seen "${char}")
  endif()
endforeach()

# The expected line as a regular expression: every character literal but %p.
string(REGEX REPLACE "([][.*+?^$()|\\\\])" "\\\\\\1" pattern "${CAPTION}: ${TEXT}\\n")
string(REPLACE "%p" "[0-9A-Fa-f]+" pattern "${pattern}")

message(STATUS "stderr: ${seen}")
message(STATUS "exit: ${code}")
if(NOT code STREQUAL "${EXIT}")
  message(FATAL_ERROR "exit code ${code}, expected ${EXIT}")
endif()
if(NOT seen MATCHES "^${pattern}$")
  message(FATAL_ERROR "standard error does not match: ${CAPTION}: ${TEXT}\\n")
endif()
