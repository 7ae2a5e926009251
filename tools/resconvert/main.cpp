// resconvert: the sample resource converter of a game folder. It is run from
// the folder's top, with one resource's virtual path, whenever the converting
// device finds that resource out of date; it reads the sources from "base"
// (or "base_test"), writes the converted resource into "rsrc" and its
// dependency list into ".dep", all through the library's standard mounts.
//
//   *.tga  any TGA the library decodes (8-bit palette, 24/32-bit, run-length,
//          either row order) becomes an uncompressed 32-bit TGA.
//   *.txt  the text with its empty lines dropped and every line ended in
//          CR LF; a line "include <path>" is replaced by that file's lines
//          (one level), and the included file becomes a further dependency.
//
// Exit codes: 0 converted, 1 a source is missing or unreadable, 2 no
// conversion for this kind of file, 3 the result cannot be written, 64 usage.
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "qxcore/qxcore.h"

namespace {

using quarn::string_alias_t;

void* allocate(unsigned int size) { return std::malloc(size != 0 ? size : 1); }
void release(void* p) { std::free(p); }

enum exit_code_t { CONVERTED = 0, NO_SOURCE = 1, NO_CONVERSION = 2, NOT_WRITTEN = 3, USAGE = 64 };

struct source_t {
  std::string bytes;
  long time = 0;
};

// A source as the sources' devices have it (never an older converted copy).
bool read_source(const std::string& path, source_t* out) {
  quarn::file_t* file =
      quarn::fs_mount_table()->open(string_alias_t(path.c_str()), quarn::RES_SOURCE_RANGE);
  if (file == nullptr) {
    std::fprintf(stderr, "resconvert: no source '%s'\n", path.c_str());
    return false;
  }
  out->bytes.assign(file->size(), '\0');
  out->time = file->time();
  bool ok = file->read(out->bytes.data(), static_cast<unsigned int>(out->bytes.size()));
  delete file;
  if (!ok) std::fprintf(stderr, "resconvert: cannot read '%s'\n", path.c_str());
  return ok;
}

bool ends_with(const std::string& text, const char* suffix) {
  std::size_t n = std::strlen(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// Decoded pixels, 4 bytes each (R, G, B, A), top row first.
bool decode_tga(const std::string& file, std::vector<unsigned char>* rgba, unsigned int* width,
                unsigned int* height) {
  if (file.size() < 18) return false;
  const unsigned char* tga = reinterpret_cast<const unsigned char*>(file.data());
  quarn::hbmp_type_t type = quarn::tga_type(tga);
  *width = quarn::tga_x_size(tga);
  *height = quarn::tga_y_size(tga);
  unsigned int pixel = quarn::hbmp_pixel_size(type);
  if (pixel == 0 || *width == 0 || *height == 0 || *width > 16384 || *height > 16384) return false;
  std::vector<unsigned char> decoded(static_cast<std::size_t>(*width) * *height * pixel);
  if (!quarn::tga_decompress(decoded.data(), static_cast<unsigned int>(decoded.size()), tga,
                             static_cast<unsigned int>(file.size())))
    return false;
  bool top_first = (tga[17] & 0x20) != 0;
  rgba->resize(static_cast<std::size_t>(*width) * *height * 4);
  for (unsigned int y = 0; y < *height; ++y) {
    unsigned int row = top_first ? y : *height - 1 - y;
    for (unsigned int x = 0; x < *width; ++x) {
      const unsigned char* in = &decoded[(static_cast<std::size_t>(row) * *width + x) * pixel];
      unsigned char* out = &(*rgba)[(static_cast<std::size_t>(y) * *width + x) * 4];
      out[0] = in[2], out[1] = in[1], out[2] = in[0], out[3] = pixel == 4 ? in[3] : 255;
    }
  }
  return true;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    if (end > at) lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

// The converted resource in "rsrc", the highest writable device among the
// converted resources.
bool write_result(const std::string& path, const std::string& bytes) {
  quarn::file_t* file =
      quarn::fs_mount_table()->create(string_alias_t(path.c_str()), quarn::RES_CONVERTED_RANGE);
  if (file == nullptr) return false;
  bool ok = file->write(bytes.data(), static_cast<unsigned int>(bytes.size()));
  file->flush();
  delete file;
  return ok;
}

class converter_t {
 public:
  converter_t(const std::string& path, quarn::ufs_device_t* rsrc) : path_(path), rsrc_(rsrc) {}

  exit_code_t run() {
    std::string result;
    exit_code_t code = ends_with(path_, ".tga")   ? convert_image(&result)
                       : ends_with(path_, ".txt") ? convert_text(&result)
                                                  : NO_CONVERSION;
    if (code == NO_CONVERSION)
      std::fprintf(stderr, "resconvert: no conversion for '%s'\n", path_.c_str());
    if (code != CONVERTED) return code;
    if (!write_result(path_, result) || !deps_.write(string_alias_t(path_.c_str()))) {
      std::fprintf(stderr, "resconvert: cannot write '%s'\n", path_.c_str());
      return NOT_WRITTEN;
    }
    stamp();
    return CONVERTED;
  }

 private:
  exit_code_t convert_image(std::string* result) {
    source_t source;
    if (!read(path_, &source)) return NO_SOURCE;
    std::vector<unsigned char> rgba;
    unsigned int width = 0, height = 0;
    if (!decode_tga(source.bytes, &rgba, &width, &height)) {
      std::fprintf(stderr, "resconvert: '%s' is not a TGA image the library reads\n",
                   path_.c_str());
      return NO_SOURCE;
    }
    result->assign(18 + rgba.size(), '\0');
    return quarn::tga_compress(result->data(), rgba.data(), width, height, quarn::HBMP_RGBA)
               ? CONVERTED
               : NO_SOURCE;
  }

  exit_code_t convert_text(std::string* result) {
    source_t source;
    if (!read(path_, &source)) return NO_SOURCE;
    result->clear();
    for (const std::string& line : lines_of(source.bytes)) {
      if (line.rfind("include ", 0) != 0) {
        *result += line + "\r\n";
        continue;
      }
      std::string included = line.substr(8);
      source_t part;
      if (!read(included, &part)) return NO_SOURCE;
      for (const std::string& inner : lines_of(part.bytes)) *result += inner + "\r\n";
    }
    return CONVERTED;
  }

  // Reads a source and records it: the first one read is the primary source.
  bool read(const std::string& path, source_t* out) {
    if (!read_source(path, out)) return false;
    if (deps_.size() == 0)
      deps_.add_primary_source(string_alias_t(path.c_str()));
    else
      deps_.add(string_alias_t(path.c_str()));
    if (out->time > newest_) newest_ = out->time;
    return true;
  }

  // A result is never older than its newest source: a source stamped ahead
  // of the clock would otherwise keep it out of date until the clock caught up.
  void stamp() {
    long now = static_cast<long>(std::time(nullptr));
    if (rsrc_ == nullptr || newest_ <= now) return;
    quarn::string_dyn_t<> host;
    rsrc_->get_path(&host, string_alias_t(path_.c_str()));
    timespec times[2] = {{newest_, 0}, {newest_, 0}};
    ::utimensat(AT_FDCWD, host.c_str(), times, 0);
  }

  std::string path_;
  quarn::ufs_device_t* rsrc_;
  quarn::res_deps_t deps_;
  long newest_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] != '/') {
    std::fprintf(stderr, "usage: resconvert <virtual path of a resource>\n");
    return USAGE;
  }
  quarn::qxcore_init(allocate, allocate, release, release, 0);
  int code;
  {
    quarn::message_stdio_t console;  // the library's own reports
    quarn::std_mount_t mounts;
    mounts.mount_directories(quarn::STD_MOUNT_WRITABLE_RESOURCES);
    code = converter_t(argv[1], mounts.device(quarn::std_mount_t::SLOT_RSRC)).run();
    if (code == CONVERTED) std::printf("resconvert: %s\n", argv[1]);
    mounts.unmount_directories();
  }
  quarn::qxcore_shutdown();
  return code;
}
