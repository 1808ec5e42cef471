# Compiles resources/launcher.form into the launcher's stored window definition,
# ${LAUNCHER_GENERATED_RESOURCES}/TFORM1.bin, which launcher.rc embeds as RCDATA "TFORM1".
# Included by resources/CMakeLists.txt so the command sits beside the resource step that
# lists LAUNCHER_FORM_STREAM under DEPENDS. `formtool` is the native build's program in
# both trees (an imported target in the cross build).
if(NOT TARGET artwork)
  include(${PROJECT_SOURCE_DIR}/tools/artgen/artwork.cmake)
endif()
set(LAUNCHER_FORM_SOURCE ${PROJECT_SOURCE_DIR}/resources/launcher.form)
set(LAUNCHER_FORM_STREAM ${LAUNCHER_GENERATED_RESOURCES}/TFORM1.bin)
add_custom_command(
  OUTPUT ${LAUNCHER_FORM_STREAM}
  COMMAND formtool compile -I ${LAUNCHER_GENERATED_RESOURCES} ${LAUNCHER_FORM_SOURCE}
          ${LAUNCHER_FORM_STREAM}
  DEPENDS formtool artwork ${LAUNCHER_FORM_SOURCE} ${LAUNCHER_GENERATED_RESOURCES}/artwork.jpg
  COMMENT "Compiling the launcher window definition"
  VERBATIM)
add_custom_target(form_stream ALL DEPENDS ${LAUNCHER_FORM_STREAM})
