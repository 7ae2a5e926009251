// TGA: reading headers and decoding uncompressed and run-length encoded
// files held in memory, and writing uncompressed 24- or 32-bit files.
// Decoded pixels are B, G, R[, A] in the file's row order (usually bottom
// row first); nothing is flipped or swapped.
//
//   std::vector<char> pixels(tga_x_size(file) * tga_y_size(file) * hbmp_pixel_size(tga_type(file)));
//   bool ok = tga_decompress(pixels.data(), pixels.size(), file, file_size);
#pragma once

#include "qxcore/image/bitmap.h"

namespace quarn {

class file_t;

// The format tga_decompress produces: HBMP_BGR, HBMP_BGRA, or HBMP_NONE.
QX_API hbmp_type_t tga_type(const void* tga);
QX_API unsigned int tga_x_size(const void* tga);
QX_API unsigned int tga_y_size(const void* tga);

// Decodes a whole file held in memory; trusts that `tga` holds the whole file
// and `pixels` holds width x height pixels of tga_type's size.
QX_API bool tga_decompress(void* pixels, const void* tga);
// The same, reading no more than tga_size bytes and writing no more than
// pixels_size: short input is reported and answered with false.
QX_API bool tga_decompress(void* pixels, unsigned int pixels_size, const void* tga, unsigned int tga_size);

// Encodes R, G, B, A source pixels (4 bytes each, top row first) as an
// uncompressed file of HBMP_RGB (24-bit) or HBMP_RGBA (32-bit) into a buffer
// of 18 + width x height x 3 or 4 bytes, bottom row first.
QX_API bool tga_compress(void* tga, const void* pixels, unsigned int width, unsigned int height, hbmp_type_t type);
// Writes the header and the caller's R, G, B[, A] pixels (3 or 4 bytes, rows
// in buffer order), which are swapped to B, G, R in place and back.
QX_API bool tga_write(file_t& file, void* pixels, unsigned int width, unsigned int height, hbmp_type_t type);

}  // namespace quarn
