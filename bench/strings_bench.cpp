// Strings side by side with what a host would otherwise use:
// - exact float text: our "&" bit-pattern form vs the shortest round-trip
//   decimal of <charconv> and vs printf("%.9g") + strtof;
// - building a path by appends: string_dyn_t vs std::string;
// - hashing a name: v_strhash vs std::hash<std::string_view>.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "qxcore/qxcore.h"

namespace {

std::vector<float> random_floats() {
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> dist(-1e6f, 1e6f);
  std::vector<float> values(4096);
  for (float& v : values) v = dist(rng);
  return values;
}

void BM_FloatText_Qxcore(benchmark::State& state) {
  std::vector<float> values = random_floats();
  quarn::string_fixed_t<16> text;
  std::size_t i = 0;
  for (auto _ : state) {
    quarn::float_to_string(&text, values[i++ & 4095]);
    float back;
    quarn::string_to_float(&back, text);
    benchmark::DoNotOptimize(back);
  }
}
BENCHMARK(BM_FloatText_Qxcore);

void BM_FloatText_CharconvShortest(benchmark::State& state) {
  std::vector<float> values = random_floats();
  char text[32];
  std::size_t i = 0;
  for (auto _ : state) {
    auto end = std::to_chars(text, text + sizeof text, values[i++ & 4095]).ptr;
    float back;
    std::from_chars(text, end, back);
    benchmark::DoNotOptimize(back);
  }
}
BENCHMARK(BM_FloatText_CharconvShortest);

void BM_FloatText_PrintfStrtof(benchmark::State& state) {
  std::vector<float> values = random_floats();
  char text[32];
  std::size_t i = 0;
  for (auto _ : state) {
    std::snprintf(text, sizeof text, "%.9g", values[i++ & 4095]);
    float back = std::strtof(text, nullptr);
    benchmark::DoNotOptimize(back);
  }
}
BENCHMARK(BM_FloatText_PrintfStrtof);

const char* const PATH_PARTS[] = {"base", "/", "textures", "/", "architecture", "/",
                                  "oak_bark_diffuse", ".", "tga"};

void BM_PathAppend_Qxcore(benchmark::State& state) {
  for (auto _ : state) {
    quarn::string_dyn_t<> path;
    for (const char* part : PATH_PARTS) path.append(quarn::string_alias_t(part));
    benchmark::DoNotOptimize(path.c_str());
  }
}
BENCHMARK(BM_PathAppend_Qxcore);

// The dynamic string grows to exactly the size asked for; a host that
// appends in a loop reserves first.
void BM_PathAppend_QxcoreReserved(benchmark::State& state) {
  for (auto _ : state) {
    quarn::string_dyn_t<> path;
    path.reserve(64);
    for (const char* part : PATH_PARTS) path.append(quarn::string_alias_t(part));
    benchmark::DoNotOptimize(path.c_str());
  }
}
BENCHMARK(BM_PathAppend_QxcoreReserved);

void BM_PathAppend_StdString(benchmark::State& state) {
  for (auto _ : state) {
    std::string path;
    for (const char* part : PATH_PARTS) path += part;
    benchmark::DoNotOptimize(path.c_str());
  }
}
BENCHMARK(BM_PathAppend_StdString);

void BM_NameHash_Qxcore(benchmark::State& state) {
  const char* name = "textures/architecture/oak_bark_diffuse.tga";
  for (auto _ : state) {
    benchmark::DoNotOptimize(name);
    benchmark::DoNotOptimize(quarn::v_strhash(name));
  }
}
BENCHMARK(BM_NameHash_Qxcore);

void BM_NameHash_StdHash(benchmark::State& state) {
  const char* name = "textures/architecture/oak_bark_diffuse.tga";
  std::hash<std::string_view> hash;
  for (auto _ : state) {
    benchmark::DoNotOptimize(name);
    benchmark::DoNotOptimize(hash(std::string_view(name, std::strlen(name))));
  }
}
BENCHMARK(BM_NameHash_StdHash);

}  // namespace
