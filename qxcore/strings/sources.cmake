target_sources(qxcore PRIVATE
  strings/bit_helpers.cpp
  strings/c_string_helpers.cpp
  strings/command_line.cpp
  strings/float_text.cpp
  strings/format.cpp
  strings/paths.cpp
  strings/raw_paths.cpp
  strings/string.cpp
  strings/string_dyn.cpp
  strings/string_tokenizer.cpp
  strings/strings_mutable.cpp
  strings/text_parser.cpp
  strings/tokens.cpp
  strings/wildcard.cpp)
