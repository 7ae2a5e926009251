// PNG writing without a compression library: the image data travels in
// deflate "stored" blocks, with the library's own CRC-32 and Adler-32. Files
// come out about the size of the raw pixels.
//
//   hbmp_t image{width, height, 0, 1, HBMP_RGBA, pixels};
//   png_simple_save(file, &image);
#pragma once

#include "qxcore/image/bitmap.h"

namespace quarn {

class file_t;

// Writes level 0 of an HBMP_RGB, HBMP_RGBA or HBMP_GRAY8 image, top row
// first. False at the first failed write, or for another type (after the
// signature). Rows of any width: one too long for a block is split over
// several stored blocks.
QX_API bool png_simple_save(file_t* file, const hbmp_t* image);

}  // namespace quarn
