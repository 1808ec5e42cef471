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
