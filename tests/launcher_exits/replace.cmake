# cmake -DIN=<file> -DOUT=<file> -DFROM=<text> -DTO=<text> -P replace.cmake
# Copies IN to OUT with every FROM replaced by TO; fails when FROM does not occur.
file(READ ${IN} text)
string(FIND "${text}" "${FROM}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "'${FROM}' not found in ${IN}")
endif()
string(REPLACE "${FROM}" "${TO}" text "${text}")
file(WRITE ${OUT} "${text}")
