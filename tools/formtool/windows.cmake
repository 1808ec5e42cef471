# The form tool with the GUI layers (formtool.exe in the Windows build, formtool_gui
# natively): the host tool's commands plus `check`, which reads a stream into the real
# control classes and so needs the windowing layers. Included from tools/CMakeLists.txt
# (in the cross build the host tool itself is an imported target). The check's root class
# is a library of its own so the control tests can read the launcher's tree into the same
# class.
include(${CMAKE_CURRENT_LIST_DIR}/sources.cmake)
add_library(formtool_check STATIC ${CMAKE_CURRENT_LIST_DIR}/check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/check_form.cpp)
target_link_libraries(formtool_check PUBLIC controls)
launcher_resource_library(formtool_messages ${PROJECT_SOURCE_DIR}/resources/launcher.rc
  DEFINES LAUNCHER_MESSAGES_ONLY)
add_executable(formtool_win ${formtool_core_sources} ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  $<TARGET_OBJECTS:formtool_messages>)
if(CMAKE_CROSSCOMPILING)
  set_target_properties(formtool_win PROPERTIES OUTPUT_NAME formtool)
else()
  # Beside the host tool's own folder (tools/formtool/), so under another name.
  set_target_properties(formtool_win PROPERTIES OUTPUT_NAME formtool_gui)
endif()
target_compile_definitions(formtool_win PRIVATE LAUNCHER_FORMTOOL_CHECK)
target_link_libraries(formtool_win PRIVATE formtool_check)
