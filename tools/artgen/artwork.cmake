# Produces the launcher artwork at the path the resource steps read it from.
# Included by the native build and by the cross build (where `artgen` is the
# native build's executable), so both trees hold their own copy.
set(LAUNCHER_ARTWORK ${CMAKE_BINARY_DIR}/resources/artwork.jpg)
add_custom_command(
  OUTPUT ${LAUNCHER_ARTWORK}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
  COMMAND artgen ${LAUNCHER_ARTWORK}
  DEPENDS artgen
  COMMENT "Painting the launcher artwork"
  VERBATIM)
# Steps that embed the picture depend on this target as well as on the file.
add_custom_target(artwork ALL DEPENDS ${LAUNCHER_ARTWORK})
