// Adler-32, plain: the sums of zlib streams, in runs short enough that 32-bit
// sums cannot overflow, folded between runs with 65536 = 15 (mod 65521).
#include "qxcore/sys/checksum_paths.h"

namespace quarn::checksum_paths {

namespace {

constexpr unsigned int ADLER_MOD = 65521;
constexpr std::size_t RUN = 5550;  // 255*n(n+1)/2 + (n+1)*65865 stays below 2^32

inline unsigned int fold(unsigned int s) { return (s & 0xFFFF) + (s >> 16) * 15; }

}  // namespace

void adler32_update_plain(unsigned int* low, unsigned int* high, const unsigned char* p,
                          std::size_t n) {
  unsigned int a = *low, b = *high;
  while (n != 0) {
    std::size_t run = n < RUN ? n : RUN;
    n -= run;
    for (; run >= 16; run -= 16, p += 16)
      for (int i = 0; i < 16; ++i) {
        a += p[i];
        b += a;
      }
    for (; run != 0; --run) {
      a += *p++;
      b += a;
    }
    a = fold(a);
    b = fold(b);
  }
  if (a >= ADLER_MOD) a -= ADLER_MOD;
  b = fold(b);
  if (b >= ADLER_MOD) b -= ADLER_MOD;
  *low = a;
  *high = b;
}

}  // namespace quarn::checksum_paths
