#include "qxcore/fs/stdio_helpers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "qxcore/core/host_memory.h"
#include "qxcore/core/messages.h"

namespace quarn {

namespace {

constexpr unsigned int COPY_BLOCK = 4096;
constexpr std::size_t PATH_LIMIT = 256;

bool copy_stream(std::FILE* destination, std::FILE* source) {
  char block[COPY_BLOCK];
  std::size_t n;
  while ((n = std::fread(block, 1, sizeof block, source)) != 0) std::fwrite(block, 1, n, destination);
  return true;
}

bool copy_path(const char* destination, const char* source, const char* mode) {
  std::FILE* in = std::fopen(source, "rb");
  if (in == nullptr) return false;
  std::FILE* out = std::fopen(destination, mode);
  if (out == nullptr) {
    std::fclose(in);
    return false;
  }
  copy_stream(out, in);
  std::fclose(in);
  std::fclose(out);
  return true;
}

// Copies a path into a 256-byte buffer, or reports it as too long.
bool bounded_copy(char (&buffer)[PATH_LIMIT], const char* path, const char* caller) {
  std::size_t length = ::strnlen(path, PATH_LIMIT);
  if (length == PATH_LIMIT) {
    error("[fs] %s: path longer than %zu characters: %.64s...", caller, PATH_LIMIT - 1, path);
    return false;
  }
  std::memcpy(buffer, path, length + 1);
  return true;
}

}  // namespace

std::FILE* v_fopen(const char* path, const char* mode) { return std::fopen(path, mode); }
int v_fclose(std::FILE* stream) { return std::fclose(stream); }

unsigned int v_fread(char* buffer, unsigned int size, unsigned int count, std::FILE* stream) {
  return static_cast<unsigned int>(std::fread(buffer, size, count, stream));
}

unsigned int v_fwrite(const char* buffer, unsigned int size, unsigned int count, std::FILE* stream) {
  return static_cast<unsigned int>(std::fwrite(buffer, size, count, stream));
}

int v_fputs(const char* text, std::FILE* stream) { return std::fputs(text, stream); }

unsigned int v_filesize(std::FILE* stream) {
  struct stat st;
  if (stream == nullptr || ::fstat(fileno(stream), &st) != 0) return 0;
  return st.st_size > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<unsigned int>(st.st_size);
}

bool v_file_copy(std::FILE* destination, std::FILE* source) {
  return destination != nullptr && source != nullptr && copy_stream(destination, source);
}

bool v_file_copy(const char* destination, const char* source) { return copy_path(destination, source, "wb"); }

bool v_file_append(const char* destination, const char* source) { return copy_path(destination, source, "ab"); }

bool v_remove(const char* path) { return std::remove(path) == 0; }

bool v_mkdir(const char* path) {
  ::mkdir(path, 0777);
  return true;
}

bool v_rmdir(const char* path) { return ::rmdir(path) == 0; }

bool v_filedir(const char* path) {
  char buffer[PATH_LIMIT];
  if (!bounded_copy(buffer, path, "v_filedir")) return false;
  for (char* slash = std::strchr(buffer, '/'); slash != nullptr; slash = std::strchr(slash + 1, '/')) {
    if (slash == buffer) continue;  // the root of an absolute path
    *slash = '\0';
    ::mkdir(buffer, 0777);
    *slash = '/';
  }
  return true;
}

bool v_removedir(const char* path) {
  char buffer[PATH_LIMIT];
  if (!bounded_copy(buffer, path, "v_removedir")) return false;
  std::remove(buffer);
  // Parents that still hold something stay: rmdir fails on them.
  for (char* slash = std::strrchr(buffer, '/'); slash != nullptr && slash != buffer;
       slash = std::strrchr(buffer, '/')) {
    *slash = '\0';
    ::rmdir(buffer);
  }
  return true;
}

void* v_readfile(const char* path, unsigned int* size) {
  std::FILE* stream = std::fopen(path, "rb");
  if (stream == nullptr) return nullptr;
  unsigned int length = v_filesize(stream);
  void* buffer = host_alloc_vector(length == 0 ? 1 : length);
  if (buffer != nullptr) {
    std::size_t got = std::fread(buffer, 1, length, stream);
    // A file that shrank since its length was read leaves zeros, not garbage.
    if (got < length) std::memset(static_cast<char*>(buffer) + got, 0, length - got);
    if (size != nullptr) *size = length;
  }
  std::fclose(stream);
  return buffer;
}

void v_freefile(void* buffer) { host_free_vector(buffer); }

}  // namespace quarn
