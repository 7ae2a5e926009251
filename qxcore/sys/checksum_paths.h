// Internal: the implementations of CRC-32 and Adler-32 that the processor
// dispatch chooses among (sys/code_paths.cpp binds them). Every one gives the
// table-driven result bit for bit. Not part of the exported interface.
#pragma once

#include <cstddef>

namespace quarn::checksum_paths {

// CRC-32 register update (the register is the inverted running value).
using crc32_update_fn = unsigned int (*)(unsigned int reg, const unsigned char* p, std::size_t n);
// Adler-32 update; the sums come in reduced modulo 65521 and leave reduced.
using adler32_update_fn = void (*)(unsigned int* low, unsigned int* high, const unsigned char* p,
                                   std::size_t n);

extern crc32_update_fn crc32_update;  // bound; plain until the dispatcher runs
extern adler32_update_fn adler32_update;

unsigned int crc32_update_tables(unsigned int reg, const unsigned char* p, std::size_t n);
void adler32_update_plain(unsigned int* low, unsigned int* high, const unsigned char* p,
                          std::size_t n);

#if defined(__x86_64__) || defined(__i386__)
bool crc32_clmul_supported();  // the processor has PCLMULQDQ
unsigned int crc32_update_clmul(unsigned int reg, const unsigned char* p, std::size_t n);
#endif
#if defined(__SSE2__)
void adler32_update_sse2(unsigned int* low, unsigned int* high, const unsigned char* p,
                         std::size_t n);
#endif

}  // namespace quarn::checksum_paths
