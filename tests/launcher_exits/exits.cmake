# How the launcher ends when its window definition is missing or damaged: builds of the
# launcher with such a TFORM1 (or none), each run once with its expected box and exit code.
# On Windows box_watch runs it, answers the message box and checks its text; natively
# headless_run.cmake runs it on the headless display driver, whose box is a line on
# standard error. Included from tests/CMakeLists.txt for both builds.
set(exitsDir ${CMAKE_CURRENT_BINARY_DIR}/launcher_exits)
file(MAKE_DIRECTORY ${exitsDir})
set(goodStream ${LAUNCHER_GENERATED_RESOURCES}/TFORM1.bin)
set(formSource ${PROJECT_SOURCE_DIR}/resources/launcher.form)

if(WIN32)
  add_executable(box_watch ${CMAKE_CURRENT_LIST_DIR}/box_watch.cpp)
endif()

# Damaged streams. Cut inside the picture data; a signature that is not the format's;
# a class nobody registered; a property the image does not have.
add_custom_command(OUTPUT ${exitsDir}/truncated.bin
  COMMAND head -c 200000 ${goodStream} > ${exitsDir}/truncated.bin
  DEPENDS ${goodStream} VERBATIM)
add_custom_command(OUTPUT ${exitsDir}/badsig.bin
  COMMAND cp ${goodStream} ${exitsDir}/badsig.bin
  COMMAND sh -c "printf XPF0 | dd of=${exitsDir}/badsig.bin bs=1 count=4 conv=notrunc 2>/dev/null"
  DEPENDS ${goodStream} VERBATIM)
# A form text variant: <name>.form from launcher.form with one replacement, compiled.
function(form_variant name from to)
  add_custom_command(OUTPUT ${exitsDir}/${name}.bin
    COMMAND ${CMAKE_COMMAND} -DIN=${formSource} -DOUT=${exitsDir}/${name}.form
            -DFROM=${from} -DTO=${to} -P ${CMAKE_CURRENT_LIST_DIR}/replace.cmake
    COMMAND formtool compile -I ${exitsDir} -I ${LAUNCHER_GENERATED_RESOURCES}
            ${exitsDir}/${name}.form ${exitsDir}/${name}.bin
    DEPENDS formtool ${formSource} ${goodStream} ${ARGN} VERBATIM)
endfunction()
form_variant(badclass "component TImage Image1" "component TImagf Image1")
form_variant(badprop "Stretch = true" "Strech = true")
# The picture cut in its scan data and followed by a second frame header: the header
# reads, the decode fails at the first paint.
add_custom_command(OUTPUT ${exitsDir}/artwork_damaged.jpg
  COMMAND sh -c "head -c 150000 ${LAUNCHER_GENERATED_RESOURCES}/artwork.jpg > ${exitsDir}/artwork_damaged.jpg && printf '\\377\\300\\000\\021\\010\\003\\116\\004\\200\\003\\001\\042\\000\\002\\021\\001\\003\\021\\001\\377\\331' >> ${exitsDir}/artwork_damaged.jpg"
  DEPENDS ${goodStream} VERBATIM)
form_variant(badart "artwork.jpg" "artwork_damaged.jpg" ${exitsDir}/artwork_damaged.jpg)

# launcher_<variant>.exe: the launcher with `stream` as TFORM1 (none when empty), built
# from `main` if given instead of the launcher's own.
function(launcher_variant variant stream)
  set(main ${PROJECT_SOURCE_DIR}/launcher/main.cpp)
  if(ARGC GREATER 2)
    set(main ${ARGV2})
  endif()
  set(script ${exitsDir}/${variant}.rc)
  set(text "#define LAUNCHER_MESSAGES_ONLY\n#include \"launcher.rc\"\n")
  if(stream)
    string(APPEND text "TFORM1 RCDATA \"${stream}\"\n")
  endif()
  file(GENERATE OUTPUT ${script} CONTENT "${text}")
  launcher_resource_library(launcher_${variant}_resources ${script} DEPENDS ${stream})
  add_executable(launcher_${variant} WIN32 ${main} $<TARGET_OBJECTS:launcher_${variant}_resources>)
  target_link_libraries(launcher_${variant} PRIVATE launcher_core)
endfunction()

# One box with `caption` and `text` (as box_watch takes it), then exit code `code`.
function(expect_box variant code caption text)
  if(WIN32)
    add_test(NAME launcher_exit_${variant}
             COMMAND box_watch $<TARGET_FILE:launcher_${variant}> ${code} "${caption}" "${text}")
  else()
    add_test(NAME launcher_exit_${variant}
             COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:launcher_${variant}> -DEXIT=${code}
                     "-DCAPTION=${caption}" "-DTEXT=${text}"
                     -P ${CMAKE_CURRENT_LIST_DIR}/headless_run.cmake)
  endif()
endfunction()

set(lastChance "Exception %s in module %s at %p.\\r\\n%s\\r\\n")
function(expect_last_chance variant className message)
  string(REPLACE "%s in module %s"
                 "${className} in module launcher_${variant}${CMAKE_EXECUTABLE_SUFFIX}" text
                 "${lastChance}")
  string(REPLACE "\\r\\n%s\\r\\n" "\\r\\n${message}\\r\\n" text "${text}")
  expect_box(${variant} 1 "Application Error" "${text}")
endfunction()

launcher_variant(noform "")
expect_last_chance(noform EResNotFound "Resource TForm1 not found.")
launcher_variant(truncated ${exitsDir}/truncated.bin)
expect_last_chance(truncated EReadError "Error reading Image1.Picture.Data: Stream read error.")
launcher_variant(badsig ${exitsDir}/badsig.bin)
expect_last_chance(badsig EReadError "Invalid stream format.")
launcher_variant(badclass ${exitsDir}/badclass.bin)
expect_last_chance(badclass EClassNotFound "Class TImagf not found.")
launcher_variant(badprop ${exitsDir}/badprop.bin)
expect_last_chance(badprop EReadError "Error reading Image1.Strech: Property Strech does not exist.")

# Artwork that fails to decode: one box with the application's title, the window keeps
# working (repaints bring no second box), and EXIT still ends the program normally.
# Natively no other process can reach our windows: the program drives itself.
if(WIN32)
  launcher_variant(badart ${exitsDir}/badart.bin)
  add_test(NAME launcher_exit_badart
           COMMAND box_watch --repaint-and-exit $<TARGET_FILE:launcher_badart> 0
                   "launcher_badart" "JPEG error #%p.")
else()
  launcher_variant(badart ${exitsDir}/badart.bin ${CMAKE_CURRENT_LIST_DIR}/repaint_and_exit.cpp)
  expect_box(badart 0 "launcher_badart" "JPEG error #%p.")
endif()
