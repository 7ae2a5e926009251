// Arbitrary bytes through the text parser: the first bytes choose a sequence
// of reads, the rest is the buffer (held without a terminator, so a read past
// its end is caught). The cursor must stay inside the buffer.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_hooks.h"
#include "qxcore/qxcore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qxfuzz::start_library();
  if (size < 8) return 0;
  const std::uint8_t* ops = data;
  std::vector<char> text(data + 8, data + size);
  const char* begin = text.data();
  const char* end = begin + text.size();

  quarn::text_parser_t parser;
  parser.set_buffer(begin, static_cast<unsigned int>(text.size()));
  char buf[1100];
  float floats[8];
  int ints[8];
  for (int round = 0; round < 64; ++round) {
    const std::uint8_t op = ops[round % 8] + round;
    const unsigned int max = 1 + op % 40;
    switch (op % 14) {
      case 0:
        parser.read_token(buf, max);
        break;
      case 1:
        parser.read_line(buf, max);
        break;
      case 2:
        parser.read_one_line(buf, max);
        break;
      case 3:
        parser.read_float(floats, 1 + op % 8);
        break;
      case 4:
        parser.read_int(ints, 1 + op % 8, op % 3 == 0 ? 0 : 10 + op % 7);
        break;
      case 5:
        parser.read_vector(floats, op % 3, 1 + op % 8);
        break;
      case 6:
        parser.read_string(buf, static_cast<int>(max), "\0 \"'x"[op % 5]);
        break;
      case 7:
        parser.skip_block();
        break;
      case 8: {
        const char* before = parser.report_parse_ptr();
        parser.measure_block();
        if (parser.report_parse_ptr() != before) __builtin_trap();
        break;
      }
      case 9:
        parser.read_char();
        break;
      case 10:
        parser.undo_read();
        break;
      case 11:
        parser.skip_line();
        break;
      case 12:
        parser.skip_whitespace();
        break;
      default:
        parser.skip_spaces();
        break;
    }
    const char* cursor = parser.report_parse_ptr();
    if (text.empty() ? false : (cursor < begin || cursor > end)) __builtin_trap();
  }

  std::vector<char> terminated(text);
  terminated.push_back('\0');
  const char* src = terminated.data();
  // Each token fits: it is no longer than the text.
  std::vector<char> token(terminated.size());
  for (int i = 0; i < 16 && src != nullptr && *src != '\0'; ++i)
    src = quarn::v_get_token(src, token.data(), static_cast<char>(ops[i % 8]));
  return 0;
}
