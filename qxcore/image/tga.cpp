#include "qxcore/image/tga.h"

#include <algorithm>
#include <cstring>

#include "qxcore/core/messages.h"
#include "qxcore/fs/file.h"
#include "qxcore/sys/cpu_dispatch.h"

namespace quarn {

namespace {

constexpr unsigned int HEADER_SIZE = 18;
constexpr unsigned int UNBOUNDED = 0xFFFFFFFFu;

unsigned int u16(const unsigned char* p) { return p[0] | p[1] << 8; }

// Reads the input front to back and reports, once, when it runs out.
class tga_reader_t {
 public:
  tga_reader_t(const unsigned char* data, unsigned int size) : data_(data), size_(size) {}
  bool has(std::size_t n) const { return at_ + n <= size_; }
  const unsigned char* take(std::size_t n) {
    if (!has(n)) {
      if (!short_) error("[tga] truncated file: %zu bytes needed at offset %zu, %zu available", n, at_, size_);
      short_ = true;
      return nullptr;
    }
    const unsigned char* p = data_ + at_;
    at_ += n;
    return p;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool short_ = false;
};

// Writes output pixels, never past the pixel buffer: run-length packets that
// run past the image are clipped to it.
struct pixel_writer_t {
  unsigned char* out;
  std::size_t capacity;  // bytes
  std::size_t written = 0;
  bool full() const { return written == capacity; }
  void put(const unsigned char* pixel, unsigned int size) {
    if (capacity - written < size) return;
    std::memcpy(out + written, pixel, size);
    written += size;
  }
};

// Colour-mapped images give each index its palette entry; the others copy
// the stored pixel itself.
bool decode(const unsigned char* header, tga_reader_t& in, pixel_writer_t& out, unsigned int pixels) {
  unsigned int type = header[2];
  bool mapped = type == 1 || type == 9, rle = type == 9 || type == 10;
  unsigned int depth = header[16];
  const unsigned char* palette = nullptr;
  unsigned int entry = 0, entries = 0, size;
  if (mapped) {
    // Entries of 15 bits are stored in 2 bytes, like those of 16. Each index
    // copies its entry's bytes as they are.
    entry = header[7] == 15 ? 2 : header[7] / 8;
    entries = u16(header + 5);
    if (entry == 0 || entry > 4) {  // no bytes, or more than an output pixel holds
      error("[tga] colour maps of %u-bit entries are not supported", static_cast<unsigned int>(header[7]));
      return false;
    }
    palette = in.take(static_cast<std::size_t>(entries) * entry);
    if (palette == nullptr) return false;
    size = 1;
  } else {
    if (depth != 24 && depth != 32) return false;
    size = depth / 8;
  }
  unsigned char zero[4] = {0, 0, 0, 0};
  auto emit = [&](const unsigned char* stored) {
    if (!mapped) return out.put(stored, size);
    out.put(stored[0] < entries ? palette + static_cast<std::size_t>(stored[0]) * entry : zero, entry);
  };
  if (!rle) {
    const unsigned char* stored = in.take(static_cast<std::size_t>(pixels) * size);
    if (stored == nullptr) return false;
    if (!mapped) {  // stored exactly as they are decoded: one block copy
      mm_memcpy(out.out, stored, static_cast<unsigned int>(std::min<std::size_t>(out.capacity, static_cast<std::size_t>(pixels) * size)));
      return true;
    }
    for (unsigned int i = 0; i < pixels; ++i) emit(stored + static_cast<std::size_t>(i) * size);
    return true;
  }
  while (!out.full()) {
    const unsigned char* packet = in.take(1);
    if (packet == nullptr) return false;
    unsigned int count = (packet[0] & 0x7F) + 1;
    if (packet[0] & 0x80) {
      const unsigned char* value = in.take(size);
      if (value == nullptr) return false;
      for (unsigned int i = 0; i < count && !out.full(); ++i) emit(value);
    } else {
      const unsigned char* values = in.take(static_cast<std::size_t>(count) * size);
      if (values == nullptr) return false;
      for (unsigned int i = 0; i < count && !out.full(); ++i) emit(values + static_cast<std::size_t>(i) * size);
    }
  }
  return true;
}

// An uncompressed true-colour header: everything 0 but the type, the sizes
// and the depth.
void write_header(unsigned char* out, unsigned int width, unsigned int height, unsigned int pixel_size) {
  std::memset(out, 0, HEADER_SIZE);
  out[2] = 2;
  out[12] = width & 0xFF, out[13] = width >> 8 & 0xFF;
  out[14] = height & 0xFF, out[15] = height >> 8 & 0xFF;
  out[16] = static_cast<unsigned char>(pixel_size * 8);
}

}  // namespace

hbmp_type_t tga_type(const void* tga) {
  const auto* h = static_cast<const unsigned char*>(tga);
  switch (h[16]) {
    case 24: return HBMP_BGR;
    case 32: return HBMP_BGRA;
    case 8: return h[7] == 24 ? HBMP_BGR : HBMP_BGRA;
    default: return HBMP_NONE;
  }
}

unsigned int tga_x_size(const void* tga) { return u16(static_cast<const unsigned char*>(tga) + 12); }
unsigned int tga_y_size(const void* tga) { return u16(static_cast<const unsigned char*>(tga) + 14); }

bool tga_decompress(void* pixels, const void* tga) { return tga_decompress(pixels, UNBOUNDED, tga, UNBOUNDED); }

bool tga_decompress(void* pixels, unsigned int pixels_size, const void* tga, unsigned int tga_size) {
  tga_reader_t in(static_cast<const unsigned char*>(tga), tga_size);
  const unsigned char* header = in.take(HEADER_SIZE);
  if (header == nullptr) return false;
  unsigned int type = header[2];
  if (type != 1 && type != 2 && type != 9 && type != 10) return false;
  if (in.take(header[0]) == nullptr) return false;  // the ID field
  unsigned int pixels_count = tga_x_size(header) * tga_y_size(header);
  hbmp_type_t out_type = tga_type(header);
  std::size_t needed = static_cast<std::size_t>(pixels_count) * (out_type == HBMP_BGR ? 3 : 4);
  if (out_type != HBMP_NONE && needed > pixels_size) {
    error("[tga] the pixel buffer holds %u bytes, the image needs %zu", pixels_size, needed);
    return false;
  }
  pixel_writer_t out{static_cast<unsigned char*>(pixels), std::min<std::size_t>(needed, pixels_size)};
  return decode(header, in, out, pixels_count);
}

bool tga_compress(void* tga, const void* pixels, unsigned int width, unsigned int height, hbmp_type_t type) {
  if (type != HBMP_RGB && type != HBMP_RGBA) return false;
  unsigned int size = type == HBMP_RGB ? 3 : 4;
  auto* out = static_cast<unsigned char*>(tga);
  write_header(out, width, height, size);
  const auto* in = static_cast<const unsigned char*>(pixels);
  unsigned char* p = out + HEADER_SIZE;
  for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i, in += 4, p += size) {
    p[0] = in[2], p[1] = in[1], p[2] = in[0];
    if (size == 4) p[3] = in[3];
  }
  // The header's zero origin means bottom row first.
  hbmp_flip(type, width, height, out + HEADER_SIZE);
  return true;
}

bool tga_write(file_t& file, void* pixels, unsigned int width, unsigned int height, hbmp_type_t type) {
  if (type != HBMP_RGB && type != HBMP_RGBA) return false;
  unsigned int size = type == HBMP_RGB ? 3 : 4;
  unsigned char header[HEADER_SIZE];
  write_header(header, width, height, size);
  if (!file.write(header, HEADER_SIZE)) return false;
  auto* p = static_cast<unsigned char*>(pixels);
  std::size_t count = static_cast<std::size_t>(width) * height;
  auto swap_red_blue = [&] {
    for (std::size_t i = 0; i < count; ++i) std::swap(p[i * size], p[i * size + 2]);
  };
  swap_red_blue();
  bool written = file.write(p, static_cast<unsigned int>(count * size));
  swap_red_blue();
  return written;
}

}  // namespace quarn
