# Checks the compiled launcher window definition: its size, that dumping it and
# compiling the dump gives the same bytes, and that a broken text fails without
# leaving an output behind.
# Inputs: FORMTOOL (the program), STREAM (TFORM1.bin), WORK (a scratch folder).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

file(SIZE ${STREAM} size)
if(NOT size EQUAL 307402)
  message(FATAL_ERROR "${STREAM} is ${size} bytes, expected 307402")
endif()
file(READ ${STREAM} head LIMIT 11 HEX)
if(NOT head STREQUAL "545046300654466f726d31")
  message(FATAL_ERROR "${STREAM} does not start with TPF0 and the TForm1 record")
endif()
# The last label's handler, then the ends of its properties, its children, the panel's
# children and the form's children.
file(READ ${STREAM} tail OFFSET 307385 HEX)
if(NOT tail STREQUAL "070b4c6162656c33436c69636b00000000")
  message(FATAL_ERROR "${STREAM} does not end with Label3Click and four end markers")
endif()

execute_process(COMMAND ${FORMTOOL} dump ${STREAM} ${WORK}/dump.form RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dump failed (${rc})")
endif()
execute_process(COMMAND ${FORMTOOL} compile ${WORK}/dump.form ${WORK}/again.bin RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "compiling the dump failed (${rc})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${STREAM} ${WORK}/again.bin
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dump and compile of ${STREAM} does not give the same bytes")
endif()

file(WRITE ${WORK}/broken.form "component TForm1 Form1 {\n  Left = !i8 1000\n}\n")
execute_process(COMMAND ${FORMTOOL} compile ${WORK}/broken.form ${WORK}/broken.bin
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR EXISTS ${WORK}/broken.bin OR NOT err MATCHES "broken.form: line 2: ")
  message(FATAL_ERROR "a broken text must fail naming its line, without output: rc=${rc} ${err}")
endif()
