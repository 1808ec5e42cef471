# Form tool tests, included from tests/CMakeLists.txt.
# The unit tests are native only (the tool is a host program). The stream check runs in
# both trees: it takes the TFORM1.bin that tree embeds and the native formtool.
if(TARGET formtool_core)
  add_executable(formtool_tests ${CMAKE_CURRENT_LIST_DIR}/formtool_test.cpp)
  target_link_libraries(formtool_tests PRIVATE formtool_core GTest::gtest GTest::gtest_main)
  target_compile_definitions(formtool_tests PRIVATE LAUNCHER_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME formtool COMMAND formtool_tests)
endif()
add_test(NAME tform1_stream
  COMMAND ${CMAKE_COMMAND} -DFORMTOOL=$<TARGET_FILE:formtool>
          -DSTREAM=${LAUNCHER_GENERATED_RESOURCES}/TFORM1.bin
          -DWORK=${CMAKE_CURRENT_BINARY_DIR}/tform1_stream
          -P ${CMAKE_CURRENT_LIST_DIR}/check_tform1.cmake)
# The Windows build's `formtool check`: the built definition reads into the real classes
# (status 0, the tree printed), a damaged one fails with the exception's class and text.
if(TARGET formtool_win)
  set(tform1 ${LAUNCHER_GENERATED_RESOURCES}/TFORM1.bin)
  add_test(NAME formtool_check
    COMMAND ${CMAKE_COMMAND} -DFORMTOOL=$<TARGET_FILE:formtool_win>
            "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" -DHOST_FORMTOOL=$<TARGET_FILE:formtool>
            -DSTREAM=${tform1}
            -DWORK=${CMAKE_CURRENT_BINARY_DIR}/formtool_check
            -P ${CMAKE_CURRENT_LIST_DIR}/check_formtool_check.cmake)
  if(NOT WIN32)
    # It shows nothing: the headless display driver is enough.
    set_tests_properties(formtool_check PROPERTIES ENVIRONMENT "LAUNCHER_DISPLAY=headless")
  endif()
endif()
# `formtool render` (native, where the window layers are built): the launcher's definition
# drawn, and its failures.
if(TARGET formtool_render)
  add_executable(formtool_render_tests ${CMAKE_CURRENT_LIST_DIR}/formtool_render_test.cpp)
  target_link_libraries(formtool_render_tests PRIVATE PNG::PNG JPEG::JPEG GTest::gtest
    GTest::gtest_main)
  target_compile_definitions(formtool_render_tests PRIVATE
    LAUNCHER_FORMTOOL="$<TARGET_FILE:formtool>"
    LAUNCHER_TFORM1="${LAUNCHER_GENERATED_RESOURCES}/TFORM1.bin"
    LAUNCHER_ARTWORK="${LAUNCHER_GENERATED_RESOURCES}/artwork.jpg"
    LAUNCHER_SCRATCH="${CMAKE_CURRENT_BINARY_DIR}/formtool_render")
  add_dependencies(formtool_render_tests formtool formtool_render form_stream)
  add_test(NAME formtool_render COMMAND formtool_render_tests)
endif()
