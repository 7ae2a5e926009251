// Platform services: the processor and its features, the code paths bound
// for it, a checksum, the random generators and the timers.
#include <cstdio>
#include <cstring>

#include "qxcore/qxcore.h"
#include "tools/demo_host/tour.h"

namespace demo {

void tour_platform() {
  section("platform");
  const unsigned int features = quarn::identify_cpu();
  std::printf("cpu: %s (%s), feature mask 0x%x\n", quarn::get_cpu_name(), quarn::get_cpu_vendor(),
              features);
  std::printf("features: %s\n", quarn::get_cpuflag_caps(features));
  std::printf("time-stamp counter: %u ticks per microsecond\n", quarn::get_cpu_speed());

  const char* text = "The quick brown fox jumps over the lazy dog";
  const unsigned int length = static_cast<unsigned int>(std::strlen(text));
  quarn::adler32_t adler;
  adler.compute(text, length);
  std::printf("\"%s\": crc32 %08x, adler32 %08x, crc16 %04x, crc8 %02x\n", text,
              quarn::crc32(text, length), adler.value(), quarn::crc16(text, length),
              quarn::crc8(text, length));

  quarn::randomizer_t dice;
  std::printf("randomizer_t dice:");
  for (int i = 0; i < 8; ++i) std::printf(" %u", dice.rand_u(6) + 1);
  std::printf("\n");

  unsigned int colours[4] = {0xFF202020, 0xFF808080, 0xFFF0F0F0, 0x80FF0000};
  const unsigned int light[4] = {0x00404040, 0x00404040, 0x00404040, 0x00404040};
  quarn::rgb_stream_add_noalpha(colours, colours, light, 4);
  std::printf("pixels brightened by 0x40:");
  for (unsigned int c : colours) std::printf(" %08x", c);
  std::printf("\n");

  const unsigned long long start = quarn::tmr_get_cycles();
  const unsigned long long read_start = quarn::tmr_read();
  while (quarn::tmr_read() - read_start < 5000) {
  }
  std::printf("tmr_read: %llu us; a 5 ms wait measured %.2f ms by the cycle counter\n",
              quarn::tmr_read(), quarn::get_elapsed_time_ms(start));
  quarn::vtimer_t game;
  game.advance_usec(16667);
  game.advance_usec(16667);
  std::printf("game time after two 60 Hz frames: %.6f s\n", game.time);
}

}  // namespace demo
