// Arbitrary bytes as a TGA file, decoded through the size-checked entry into
// a buffer of the size the header asks for (capped), or smaller.
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_hooks.h"
#include "qxcore/qxcore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qxfuzz::start_library();
  if (size < 18) {
    unsigned char pixels[16];
    quarn::tga_decompress(pixels, sizeof pixels, data, static_cast<unsigned int>(size));
    return 0;
  }
  std::size_t wanted = static_cast<std::size_t>(quarn::tga_x_size(data)) * quarn::tga_y_size(data) * 4;
  std::size_t capacity = wanted > (1u << 20) ? (1u << 20) : wanted;
  if (data[17] & 1) capacity /= 2;  // sometimes too small on purpose
  std::vector<unsigned char> pixels(capacity + 1);
  quarn::tga_decompress(pixels.data(), static_cast<unsigned int>(capacity), data, static_cast<unsigned int>(size));
  return 0;
}
