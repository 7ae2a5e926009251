// qxtool crc32 and adler32: the library's checksums of whole files, read in
// pieces so that any size works.
#include <cerrno>
#include <cstring>

#include "tools/qxtool/commands.h"

namespace qxtool {

extern const char CRC32_HELP[] =
    "usage: qxtool crc32 FILE...\n"
    "\n"
    "Prints the CRC-32 (as zip, PNG and zlib compute it) of each file as eight\n"
    "hexadecimal digits and the file's name; \"-\" reads standard input.\n";

extern const char ADLER32_HELP[] =
    "usage: qxtool adler32 FILE...\n"
    "\n"
    "Prints the Adler-32 (as zlib computes it) of each file as eight hexadecimal\n"
    "digits and the file's name; \"-\" reads standard input.\n";

namespace {

template <class Sum>
int checksum_files(const char* name, args_t& args, Sum sum) {
  if (!only_operands(name, args)) return EXIT_USAGE;
  if (args.empty()) return usage(name, "no file named");
  int status = EXIT_OK;
  std::vector<char> buffer(1 << 20);
  for (const std::string& path : args) {
    std::FILE* f = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
      status = fail(name, "cannot open '%s': %s", path.c_str(), std::strerror(errno));
      continue;
    }
    auto state = sum.start();
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0)
      sum.add(&state, buffer.data(), static_cast<unsigned int>(n));
    if (std::ferror(f) != 0)
      status = fail(name, "cannot read '%s'", path.c_str());
    else
      std::printf("%08x  %s\n", sum.value(state), path.c_str());
    if (f != stdin) std::fclose(f);
  }
  return status;
}

struct crc32_sum_t {
  quarn::crc32_t start() const { return {}; }
  void add(quarn::crc32_t* s, const void* data, unsigned int n) const { s->compute(data, n); }
  unsigned int value(const quarn::crc32_t& s) const { return s.value; }
};

struct adler32_sum_t {
  quarn::adler32_t start() const { return {}; }
  void add(quarn::adler32_t* s, const void* data, unsigned int n) const { s->compute(data, n); }
  unsigned int value(const quarn::adler32_t& s) const { return s.value(); }
};

}  // namespace

int run_crc32(const char* name, args_t& args) { return checksum_files(name, args, crc32_sum_t{}); }
int run_adler32(const char* name, args_t& args) {
  return checksum_files(name, args, adler32_sum_t{});
}

}  // namespace qxtool
