# formtool_render: the program behind `formtool render`, which builds the launcher's window
# from a compiled definition on the headless display driver and writes its pixels as PNG.
# Included from the top-level CMakeLists.txt after the launcher where the window layers
# exist natively; the host formtool finds it beside itself.
find_package(PNG REQUIRED)
set(formtoolDir ${PROJECT_SOURCE_DIR}/tools/formtool)
# The message texts and the screen's cursors; the definition itself comes from the input.
launcher_resource_library(formtool_render_messages ${PROJECT_SOURCE_DIR}/resources/launcher.rc
  DEFINES LAUNCHER_MESSAGES_ONLY)
add_executable(formtool_render ${formtoolDir}/render_main.cpp ${formtoolDir}/render.cpp
  ${formtoolDir}/png_file.cpp $<TARGET_OBJECTS:formtool_render_messages>)
target_link_libraries(formtool_render PRIVATE formtool_core launcher_core platform_testing
  PNG::PNG)
set_target_properties(formtool_render PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tools/formtool)
