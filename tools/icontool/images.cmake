# Turns every drawing in resources/cursors/ (<name>.cur.txt, <name>.ico.txt) into
# ${LAUNCHER_GENERATED_RESOURCES}/<name>.cur or .ico, which launcher.rc names by file name.
# Included once, from resources/CMakeLists.txt; launcher_resource_library makes every
# resource script depend on the files (global property LAUNCHER_IMAGE_FILES) and on the
# target resource_images. `icontool` is the native build's program in both trees.
file(GLOB drawings CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/cursors/*.txt)
set(images)
foreach(drawing IN LISTS drawings)
  get_filename_component(file ${drawing} NAME)
  string(REGEX REPLACE "\\.txt$" "" file ${file})
  if(file MATCHES "\\.cur$")
    set(kind cursor)
  elseif(file MATCHES "\\.ico$")
    set(kind icon)
  else()
    message(FATAL_ERROR "${drawing}: name drawings <name>.cur.txt or <name>.ico.txt")
  endif()
  set(output ${LAUNCHER_GENERATED_RESOURCES}/${file})
  add_custom_command(
    OUTPUT ${output}
    COMMAND icontool ${kind} ${drawing} ${output}
    DEPENDS icontool ${drawing}
    COMMENT "Drawing ${file}"
    VERBATIM)
  list(APPEND images ${output})
endforeach()
add_custom_target(resource_images ALL DEPENDS ${images})
set_property(GLOBAL PROPERTY LAUNCHER_IMAGE_FILES ${images})
