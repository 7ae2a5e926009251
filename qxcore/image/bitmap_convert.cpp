#include <cstring>

#include "qxcore/core/messages.h"
#include "qxcore/image/bitmap.h"
#include "qxcore/image/s3tc.h"
#include "qxcore/sys/cpu_dispatch.h"

namespace quarn {

namespace {

bool is_s3tc(hbmp_type_t type) { return type >= HBMP_S3TC_DXT1 && type <= HBMP_S3TC_DXT5; }

unsigned int palette_bytes(hbmp_type_t type) { return type == HBMP_PAL8_RGB ? 768 : type == HBMP_PAL8_RGBA ? 1024 : 0; }

// Copies `size` of every `from_size` bytes, leaving the rest of each
// destination pixel as it was.
void spread(unsigned char* out, unsigned int out_size, const unsigned char* in, unsigned int in_size,
            unsigned int n, bool swap_red_blue) {
  for (unsigned int i = 0; i < n; ++i, out += out_size, in += in_size) {
    out[0] = in[swap_red_blue ? 2 : 0];
    out[1] = in[1];
    out[2] = in[swap_red_blue ? 0 : 2];
  }
}

// Each index selects `take` bytes of its `entry`-byte palette entry.
void expand(unsigned char* out, unsigned int take, const unsigned char* palette, unsigned int entry,
            const unsigned char* indices, unsigned int n) {
  for (unsigned int i = 0; i < n; ++i, out += take) std::memcpy(out, palette + indices[i] * entry, take);
}

}  // namespace

void hbmp_convert(void* destination, void* source, hbmp_type_t destination_type, hbmp_type_t source_type,
                  unsigned int width, unsigned int height, unsigned int destination_mips, unsigned int source_mips) {
  if (is_s3tc(destination_type)) {
    hbmp_compress_s3tc(destination, source, destination_type, source_type, width, height, destination_mips,
                       source_mips);
    return;
  }
  if (is_s3tc(source_type)) {
    hbmp_decompress_s3tc(destination, source, destination_type, source_type, width, height, destination_mips,
                         source_mips);
    return;
  }
  if (destination_mips > source_mips) {
    error("[hbmp] hbmp_convert cannot make %u levels out of %u", destination_mips, source_mips);
    return;
  }
  // The palette stays at the front; only the pixels of the skipped levels are passed over.
  const auto* palette = static_cast<const unsigned char*>(source);
  const unsigned char* in = palette + palette_bytes(source_type);
  unsigned int in_size = hbmp_pixel_size(source_type);
  for (unsigned int level = destination_mips; level < source_mips; ++level) {
    in += static_cast<std::size_t>(width) * height * in_size;
    if (width > 1) width /= 2;
    if (height > 1) height /= 2;
  }
  unsigned int n = hbmp_pixel_count(width, height, destination_mips);
  auto* out = static_cast<unsigned char*>(destination);

  switch (source_type * 32 + destination_type) {
    case HBMP_RGB * 32 + HBMP_RGB: mm_memcpy(out, in, n * 3); break;
    case HBMP_RGB * 32 + HBMP_RGBA: spread(out, 4, in, 3, n, false); break;
    case HBMP_RGBA * 32 + HBMP_RGBA: mm_memcpy(out, in, n * 4); break;
    case HBMP_BGR * 32 + HBMP_RGB: spread(out, 3, in, 3, n, true); break;
    case HBMP_BGR * 32 + HBMP_RGBA: spread(out, 4, in, 3, n, true); break;
    case HBMP_PAL8_RGB * 32 + HBMP_RGB: expand(out, 3, palette, 3, in, n); break;
    case HBMP_PAL8_RGB * 32 + HBMP_PAL8_RGB:
      mm_memcpy(out, palette, 768);
      mm_memcpy(out + 768, in, n);
      break;
    case HBMP_PAL8_RGBA * 32 + HBMP_RGB: expand(out, 3, palette, 4, in, n); break;
    case HBMP_PAL8_RGBA * 32 + HBMP_RGBA: expand(out, 4, palette, 4, in, n); break;
    case HBMP_PAL8_RGBA * 32 + HBMP_PAL8_RGBA:
      mm_memcpy(out, palette, 1024);
      mm_memcpy(out + 1024, in, n);
      break;
    case HBMP_FORMAT_11 * 32 + HBMP_FORMAT_11:
    case HBMP_FORMAT_12 * 32 + HBMP_FORMAT_12: mm_memcpy(out, in, n * 4); break;
    case HBMP_FORMAT_13 * 32 + HBMP_FORMAT_13:
    case HBMP_FORMAT_14 * 32 + HBMP_FORMAT_14: mm_memcpy(out, in, n * 2); break;
    default: break;  // no conversion between these types
  }
}

}  // namespace quarn
