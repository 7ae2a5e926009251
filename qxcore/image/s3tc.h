// S3TC: decoding DXT1, DXT3 and DXT5 blocks into R, G, B, A pixels, level by
// level; encoding is refused. Colour blocks always use four colours and DXT5
// alpha always eight values, whatever the order of the endpoints.
#pragma once

#include "qxcore/image/bitmap.h"

namespace quarn {

// Decodes `source_mips` levels of `width` x `height` (powers of two) into
// HBMP_RGBA; trusts both buffers to be large enough. A mip count change or a
// size that is not a power of two is reported and fills the destination with
// opaque magenta.
QX_API void hbmp_decompress_s3tc(void* destination, const void* source, hbmp_type_t destination_type,
                                 hbmp_type_t source_type, unsigned int width, unsigned int height,
                                 unsigned int destination_mips, unsigned int source_mips);
// The same, reading no more than source_size bytes and writing no more than
// destination_size; short buffers are reported and nothing is written.
QX_API bool hbmp_decompress_s3tc(void* destination, unsigned int destination_size, const void* source,
                                 unsigned int source_size, hbmp_type_t destination_type, hbmp_type_t source_type,
                                 unsigned int width, unsigned int height, unsigned int destination_mips,
                                 unsigned int source_mips);
// Not implemented: reported, nothing written.
QX_API void hbmp_compress_s3tc(void* destination, const void* source, hbmp_type_t destination_type,
                               hbmp_type_t source_type, unsigned int width, unsigned int height,
                               unsigned int destination_mips, unsigned int source_mips);

// Bytes of S3TC data for `mips` levels, the block size of `type` (8 or 16)
// times the blocks of every level; 0 for other types.
QX_API unsigned int hbmp_s3tc_size(hbmp_type_t type, unsigned int width, unsigned int height, unsigned int mips);

}  // namespace quarn
