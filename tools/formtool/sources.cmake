# The form tool's core (text and binary stream handling), shared by the host tool and
# the Windows build's copy.
set(formtool_core_sources
  ${CMAKE_CURRENT_LIST_DIR}/binary_reader.cpp ${CMAKE_CURRENT_LIST_DIR}/binary_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_io.cpp
  ${CMAKE_CURRENT_LIST_DIR}/float_text.cpp ${CMAKE_CURRENT_LIST_DIR}/text_codec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_lexer.cpp ${CMAKE_CURRENT_LIST_DIR}/text_parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_printer.cpp ${CMAKE_CURRENT_LIST_DIR}/token_values.cpp)
