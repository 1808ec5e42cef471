# Runs `formtool check` on the launcher's compiled definition and on damaged copies of it.
# Inputs: FORMTOOL (the program), EMULATOR (how to run it, may be empty), HOST_FORMTOOL
# (the build machine's form tool, to compile damaged texts), STREAM (TFORM1.bin), WORK (a
# scratch folder).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run_check file expectedRc expectedOutput)
  execute_process(COMMAND ${EMULATOR} ${FORMTOOL} check ${file}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r\n" "\n" out "${out}")
  if(NOT rc EQUAL expectedRc OR NOT out STREQUAL expectedOutput)
    message(FATAL_ERROR "check ${file}: status ${rc} (expected ${expectedRc})\n"
                        "output:\n${out}\nexpected:\n${expectedOutput}\n${err}")
  endif()
endfunction()

run_check(${STREAM} 0 "Form1: TForm1
Image1: TImage, parent Form1
Label4: TLabel, parent Form1
Panel1: TPanel, parent Form1
Label1: TLabel, parent Panel1
Label2: TLabel, parent Panel1
Label3: TLabel, parent Panel1
")

# Cut inside the form's own properties: the stream ends early.
execute_process(COMMAND head -c 60 ${STREAM} OUTPUT_FILE ${WORK}/cut.bin)
run_check(${WORK}/cut.bin 1 "EReadError: Error reading Form1.Caption: Stream read error\n")

# Well formed, but naming a class the reader does not know.
file(WRITE ${WORK}/unknown.form "component TForm1 Form1 {\n  component TButton Button1 {\n  }\n}\n")
execute_process(COMMAND ${HOST_FORMTOOL} compile ${WORK}/unknown.form ${WORK}/unknown.bin
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "compiling unknown.form failed (${rc})")
endif()
run_check(${WORK}/unknown.bin 1 "EClassNotFound: Class TButton not found\n")

# A property the label does not publish.
file(WRITE ${WORK}/property.form
     "component TForm1 Form1 {\n  component TLabel Label1 {\n    Bogus = 1\n  }\n}\n")
execute_process(COMMAND ${HOST_FORMTOOL} compile ${WORK}/property.form ${WORK}/property.bin
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "compiling property.form failed (${rc})")
endif()
run_check(${WORK}/property.bin 1 "EReadError: Error reading Label1.Bogus: Property Bogus does not exist\n")
