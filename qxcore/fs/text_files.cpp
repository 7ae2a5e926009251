#include "qxcore/fs/text_files.h"

#include <cstring>

namespace quarn {

text_lines_t* fs_read_text_file(file_t& file) {
  unsigned int size = file.size();
  char* text = static_cast<char*>(host_alloc_vector(static_cast<std::size_t>(size) + 1));
  if (text == nullptr) return nullptr;
  if (!file.read(text, size)) {
    host_free_vector(text);
    return nullptr;
  }
  text[size] = '\0';
  auto* lines = new text_lines_t;
  if (lines != nullptr) {
    // A NUL inside the file ends the text: lines are C strings.
    char* p = text;
    while (true) {
      p += std::strspn(p, "\r\n");
      if (*p == '\0') break;
      std::size_t length = std::strcspn(p, "\r\n");
      if (!lines->resize(lines->size() + 1)) break;
      (*lines)[lines->size() - 1].copy(string_alias_t(p), 0, 0, static_cast<unsigned int>(length));
      p += length;
    }
  }
  host_free_vector(text);
  return lines;
}

void fs_write_text_file(file_t& file, const text_lines_t& lines) {
  for (unsigned int i = 0; i < lines.size(); ++i) file.printf("%s\n", lines[i].c_str());
}

}  // namespace quarn
