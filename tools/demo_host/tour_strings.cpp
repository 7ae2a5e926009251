// Strings: the owning and mutable types, formatting, the exact float form,
// tokens and the tokenizer.
#include <cstdio>

#include "qxcore/qxcore.h"
#include "tools/demo_host/tour.h"

namespace demo {

void tour_strings() {
  section("strings");
  quarn::string_dyn_t<> path;
  path.printf("%s/%s.%s", "base/textures", "oak_bark", "tga");
  std::printf("printf into a dynamic string: \"%s\" (buffer %u bytes)\n", path.c_str(),
              path.capacity());

  quarn::string_dyn_t<> windows;
  path.replace(&windows, quarn::string_alias_t("/"), quarn::string_alias_t("\\"));
  std::printf("replace \"/\" with \"\\\": \"%s\"\n", windows.c_str());

  quarn::string_fixed_t<13> short_name;
  bool whole = short_name.copy(quarn::string_alias_t("a_name_longer_than_twelve"));
  std::printf("copy into string_fixed_t<13>: \"%s\" (%s)\n", short_name.c_str(),
              whole ? "whole" : "cut");

  const float values[] = {1.0f, -0.0f, 0.1f, 3.0e-41f};
  for (float value : values) {
    quarn::string_fixed_t<16> text;
    quarn::float_to_string(&text, value);
    float back = 0;
    quarn::string_to_float(&back, text);
    std::printf("float %-12g -> %s -> %g\n", value, text.c_str(), back);
  }

  const char* names[] = {"player_start", "Door_02", "thirteen_long", "bad-name"};
  for (const char* name : names) {
    unsigned long long token = 0;
    if (quarn::string_to_token(&token, quarn::string_alias_t(name))) {
      quarn::string_fixed_t<16> back;
      quarn::token_to_string(&back, token);
      std::printf("token \"%s\" = %llu -> \"%s\"\n", name, token, back.c_str());
    } else {
      std::printf("token \"%s\": not a token (12 characters of 0-9 a-z _ at most)\n", name);
    }
  }

  quarn::string_tokenizer_t words("textures//wood;;metal;glass", "/;");
  quarn::string_fixed_t<64> word;
  std::printf("tokenizer over \"textures//wood;;metal;glass\":");
  while (words.get_token(&word)) std::printf(" [%s]", word.c_str());
  std::printf("\nv_strhash(\"textures\") = 0x%04x\n", quarn::v_strhash("textures"));
}

}  // namespace demo
