// Arbitrary bytes through the text readers: float text, tokens, the
// tokenizer, and copy/replace with positions taken from the input.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_hooks.h"
#include "qxcore/qxcore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qxfuzz::start_library();
  if (size < 4) return 0;
  const unsigned int dst_pos = data[0] % 24, src_pos = data[1] % 40, count = data[2] * 3u;
  const unsigned int split = data[3];
  std::vector<char> text(data + 4, data + size);
  text.push_back('\0');
  const char* t = text.data();
  quarn::string_alias_t input(t);

  float value;
  if (quarn::string_to_float(&value, input)) {
    quarn::string_fixed_t<16> back;
    quarn::float_to_string(&back, value);
    float again;
    if (!quarn::string_to_float(&again, back) || std::memcmp(&again, &value, 4) != 0) __builtin_trap();
  }
  unsigned long long token;
  if (quarn::string_to_token(&token, input) != quarn::is_valid_token(input)) __builtin_trap();

  std::size_t length = std::strlen(t);
  std::size_t cut = length == 0 ? 0 : split % (length + 1);
  std::vector<char> delimiters(t, t + cut);
  delimiters.push_back('\0');
  quarn::string_tokenizer_t tokenizer(t + cut, delimiters.data());
  quarn::string_fixed_t<8> small;
  for (int i = 0; i < 64 && tokenizer.get_token(&small); ++i) {
  }

  quarn::string_dyn_t<> grown("seed text");
  grown.copy(input, dst_pos, src_pos, count);
  grown.append(grown, src_pos);
  quarn::string_fixed_t<12> fixed("fixed");
  fixed.copy(input, dst_pos, src_pos, count);
  quarn::string_dyn_t<> replaced;
  quarn::string_alias_t what(delimiters.data());
  grown.replace(&replaced, what, input);
  replaced.replace(input, 'a', 'b');
  return 0;
}
