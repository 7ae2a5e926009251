// Checksums: the standard CRC-32, seven narrow table-driven CRCs and the
// Adler-32 sum of zlib streams.
//
//   unsigned int crc = quarn::crc32("123456789", 9);      // 0xCBF43926
//   quarn::crc32_t running;                               // incremental use
//   running.compute(part1, n1); running.compute(part2, n2);
//
// CRC-32 and Adler-32 work at any time; the narrow CRCs read lookup tables
// that qxcore_init fills, and answer wrong values before it.
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

class string;

// The running CRC-32 (reflected, polynomial 0xEDB88320, the checksum of zip,
// PNG and Ethernet). A fresh value of 0 starts a new computation.
struct QX_API crc32_t {
  unsigned int value = 0;

  void compute(const void* data, unsigned int size);  // null or 0 bytes: no change
  void compute(const string& text);                   // the text without its terminator
};

QX_API unsigned int crc32(const void* data, unsigned int size);  // crc32_t from 0

// Narrow CRCs: start 0, no reflection, no final XOR; the empty input gives 0.
QX_API unsigned int crc16(const void* data, unsigned int size);  // poly 0x1021
QX_API unsigned int crc14(const void* data, unsigned int size);  // poly 0x202D
QX_API unsigned int crc12(const void* data, unsigned int size);  // poly 0x80F
QX_API unsigned int crc10(const void* data, unsigned int size);  // poly 0x233
QX_API unsigned int crc8(const void* data, unsigned int size);   // poly 0x07
QX_API unsigned int crc6(const void* data, unsigned int size);   // poly 0x23
QX_API unsigned int crc4(const void* data, unsigned int size);   // poly 0x3

// The running Adler-32 sums. The defaults start a standard Adler-32; after
// compute both sums are reduced modulo 65521.
struct QX_API adler32_t {
  unsigned int low_sum = 1;
  unsigned int high_sum = 0;

  void compute(const void* data, unsigned int size);  // null or 0 bytes: no change
  unsigned int value() const { return high_sum << 16 | low_sum; }
};

}  // namespace quarn
