# Produces the launcher artwork where the resource steps read generated inputs.
# Included from resources/CMakeLists.txt, in the native build and in the cross
# build (where `artgen` is the native build's executable).
set(LAUNCHER_ARTWORK ${LAUNCHER_GENERATED_RESOURCES}/artwork.jpg)
add_custom_command(
  OUTPUT ${LAUNCHER_ARTWORK}
  COMMAND artgen ${LAUNCHER_ARTWORK}
  DEPENDS artgen
  COMMENT "Painting the launcher artwork"
  VERBATIM)
# Steps that embed the picture depend on this target as well as on the file.
add_custom_target(artwork ALL DEPENDS ${LAUNCHER_ARTWORK})
