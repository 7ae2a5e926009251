// Arbitrary bytes as S3TC blocks, with the sizes, type and level counts also
// taken from the input, decoded through the size-checked entry.
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_hooks.h"
#include "qxcore/qxcore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qxfuzz::start_library();
  if (size < 4) return 0;
  unsigned int width = 1u << (data[0] % 9), height = 1u << (data[1] % 9);
  if (data[0] & 0x80) width += data[0] & 7;  // not a power of two now and then
  auto type = static_cast<quarn::hbmp_type_t>(14 + data[2] % 5);
  unsigned int mips = 1 + data[3] % 10, destination_mips = data[3] & 0x80 ? mips - 1 : mips;
  std::size_t pixels = quarn::hbmp_pixel_count(width, height, destination_mips);
  std::size_t capacity = pixels * 4 - (data[2] & 0x80 ? 1 : 0);
  std::vector<unsigned char> out(capacity + 1);
  quarn::hbmp_decompress_s3tc(out.data(), static_cast<unsigned int>(capacity), data + 4,
                              static_cast<unsigned int>(size - 4), quarn::HBMP_RGBA, type, width, height,
                              destination_mips, mips);
  return 0;
}
