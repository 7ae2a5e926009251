#include "qxcore/image/png.h"

#include <cstring>

#include "qxcore/core/host_memory.h"
#include "qxcore/fs/file.h"
#include "qxcore/sys/checksums.h"

namespace quarn {

namespace {

// Rows are grouped so that a group's stored block stays near 16 KiB; a row
// longer than that is split into pieces of this size.
constexpr unsigned int GROUP_BYTES = 16379;

void put32(unsigned char* p, unsigned int v) {
  p[0] = static_cast<unsigned char>(v >> 24), p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8), p[3] = static_cast<unsigned char>(v);
}

// Collects one chunk (length, type, data, CRC) and writes it in one call.
class chunk_writer_t {
 public:
  explicit chunk_writer_t(file_t* file) : file_(file) {}
  ~chunk_writer_t() { host_free_vector(buffer_); }
  chunk_writer_t(const chunk_writer_t&) = delete;
  chunk_writer_t& operator=(const chunk_writer_t&) = delete;

  bool begin(const char* type, unsigned int data_size) {
    unsigned int whole = data_size + 12;
    if (whole > capacity_) {
      host_free_vector(buffer_);
      buffer_ = static_cast<unsigned char*>(host_alloc_vector(whole));
      capacity_ = buffer_ != nullptr ? whole : 0;
      if (buffer_ == nullptr) return false;
    }
    put32(buffer_, data_size);
    std::memcpy(buffer_ + 4, type, 4);
    used_ = 8;
    return true;
  }
  unsigned char* data(unsigned int n) {
    unsigned char* p = buffer_ + used_;
    used_ += n;
    return p;
  }
  void add(const void* bytes, unsigned int n) { std::memcpy(data(n), bytes, n); }
  bool finish() {
    put32(buffer_ + used_, crc32(buffer_ + 4, used_ - 4));
    return file_->write(buffer_, used_ + 4);
  }

 private:
  file_t* file_;
  unsigned char* buffer_ = nullptr;
  unsigned int capacity_ = 0;
  unsigned int used_ = 0;
};

int colour_type(hbmp_type_t type) {
  return type == HBMP_RGB ? 2 : type == HBMP_RGBA ? 6 : type == HBMP_GRAY8 ? 0 : -1;
}

// One stored block in its own IDAT chunk: header byte, LEN, NLEN, then the
// bytes that `fill` writes. Adler-32 runs over those bytes only.
template <class Fill>
bool stored_block(chunk_writer_t& chunk, adler32_t& adler, unsigned int length, bool last, Fill fill) {
  if (!chunk.begin("IDAT", length + 5)) return false;
  unsigned char* header = chunk.data(5);
  header[0] = last ? 1 : 0;
  header[1] = length & 0xFF, header[2] = length >> 8 & 0xFF;
  header[3] = ~length & 0xFF, header[4] = ~length >> 8 & 0xFF;
  unsigned char* bytes = chunk.data(length);
  fill(bytes);
  adler.compute(bytes, length);
  return chunk.finish();
}

}  // namespace

bool png_simple_save(file_t* file, const hbmp_t* image) {
  static const unsigned char SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (!file->write(SIGNATURE, 8)) return false;
  int colour = colour_type(image->type);
  if (colour < 0) return false;
  unsigned int width = image->width, height = image->height;
  unsigned int pixel = hbmp_pixel_size(image->type);
  unsigned int row = width * pixel;
  const auto* pixels = static_cast<const unsigned char*>(image->data);

  chunk_writer_t chunk(file);
  if (!chunk.begin("IHDR", 13)) return false;
  unsigned char* ihdr = chunk.data(13);
  put32(ihdr, width);
  put32(ihdr + 4, height);
  ihdr[8] = 8, ihdr[9] = static_cast<unsigned char>(colour), ihdr[10] = 0, ihdr[11] = 0, ihdr[12] = 0;
  if (!chunk.finish()) return false;
  static const unsigned char ZLIB_HEADER[2] = {0x78, 0x01};
  if (!chunk.begin("IDAT", 2)) return false;
  chunk.add(ZLIB_HEADER, 2);
  if (!chunk.finish()) return false;

  adler32_t adler;
  unsigned int rows_per_group = width == 0 || pixel == 0 ? 0 : GROUP_BYTES / width / pixel;
  if (height == 0) {
    // No rows: one empty final block keeps the stream well-formed.
    if (!stored_block(chunk, adler, 0, true, [](unsigned char*) {})) return false;
  } else if (rows_per_group > 0) {
    for (unsigned int y = 0; y < height; y += rows_per_group) {
      unsigned int rows = height - y < rows_per_group ? height - y : rows_per_group;
      bool last = y + rows == height;
      bool ok = stored_block(chunk, adler, rows * (row + 1), last, [&](unsigned char* out) {
        for (unsigned int r = 0; r < rows; ++r, out += row + 1) {
          out[0] = 0;  // filter: none
          std::memcpy(out + 1, pixels + static_cast<std::size_t>(y + r) * row, row);
        }
      });
      if (!ok) return false;
    }
  } else {
    // A row longer than a group: its filter byte and pixels go out in pieces.
    for (unsigned int y = 0; y < height; ++y) {
      const unsigned char* source = pixels + static_cast<std::size_t>(y) * row;
      unsigned int total = row + 1;
      for (unsigned int at = 0; at < total; at += GROUP_BYTES) {
        unsigned int length = total - at < GROUP_BYTES ? total - at : GROUP_BYTES;
        bool last = y + 1 == height && at + length == total;
        bool ok = stored_block(chunk, adler, length, last, [&](unsigned char* out) {
          if (at == 0) {
            out[0] = 0;  // filter: none
            std::memcpy(out + 1, source, length - 1);
          } else {
            std::memcpy(out, source + at - 1, length);
          }
        });
        if (!ok) return false;
      }
    }
  }

  unsigned char sum[4];
  put32(sum, adler.value());
  if (!chunk.begin("IDAT", 4)) return false;
  chunk.add(sum, 4);
  if (!chunk.finish()) return false;
  return chunk.begin("IEND", 0) && chunk.finish();
}

}  // namespace quarn
