// Fourier transforms side by side with KissFFT and FFTW (FFTW_ESTIMATE
// plans), on the same random data in one binary: 1-D transforms of 2^10,
// 2^14 and 2^16 values and a 512×512 2-D transform.
//
// Ours transforms in place, alternating the forward and the normalised
// inverse transform so the values stay bounded; the other two transform
// out of place from a constant input with their plans made beforehand.
#include <benchmark/benchmark.h>
#include <fftw3.h>
#include <kiss_fft.h>
#include <kiss_fftnd.h>

#include <cstring>
#include <random>
#include <vector>

#include "qxcore/qxcore.h"

namespace {

using cfloat = quarn::complex_t<float>;

std::vector<cfloat> random_values(std::size_t n) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<float> d(-1, 1);
  std::vector<cfloat> v(n);
  for (cfloat& c : v) c = {d(rng), d(rng)};
  return v;
}

// Arguments: log2 of the rows (0 for a 1-D transform) and of the columns.
void BM_Fft_Qxcore(benchmark::State& state) {
  const unsigned int rows = state.range(0), cols = state.range(1);
  std::vector<cfloat> data = random_values(std::size_t{1} << (rows + cols));
  bool inverse = false;
  for (auto _ : state) {
    const quarn::fft_method_t method =
        inverse ? quarn::FFT_METHOD_INVERSE : quarn::FFT_METHOD_FORWARD;
    if (rows == 0)
      quarn::fft1d(data.data(), cols, method);
    else
      quarn::fft2d(data.data(), rows, cols, method);
    inverse = !inverse;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * data.size());
}

void BM_Fft_KissFFT(benchmark::State& state) {
  const unsigned int rows = state.range(0), cols = state.range(1);
  const std::vector<cfloat> in = random_values(std::size_t{1} << (rows + cols));
  std::vector<kiss_fft_cpx> out(in.size());
  const auto* from = reinterpret_cast<const kiss_fft_cpx*>(in.data());
  if (rows == 0) {
    kiss_fft_cfg cfg = kiss_fft_alloc(1 << cols, 0, nullptr, nullptr);
    for (auto _ : state) {
      kiss_fft(cfg, from, out.data());
      benchmark::ClobberMemory();
    }
    kiss_fft_free(cfg);
  } else {
    const int dims[2] = {1 << rows, 1 << cols};
    kiss_fftnd_cfg cfg = kiss_fftnd_alloc(dims, 2, 0, nullptr, nullptr);
    for (auto _ : state) {
      kiss_fftnd(cfg, from, out.data());
      benchmark::ClobberMemory();
    }
    kiss_fft_free(cfg);
  }
  state.SetItemsProcessed(state.iterations() * in.size());
}

void BM_Fft_FFTW(benchmark::State& state) {
  const unsigned int rows = state.range(0), cols = state.range(1);
  const std::size_t n = std::size_t{1} << (rows + cols);
  auto* in = static_cast<fftwf_complex*>(fftwf_malloc(n * sizeof(fftwf_complex)));
  auto* out = static_cast<fftwf_complex*>(fftwf_malloc(n * sizeof(fftwf_complex)));
  const fftwf_plan plan =
      rows == 0 ? fftwf_plan_dft_1d(1 << cols, in, out, FFTW_FORWARD, FFTW_ESTIMATE)
                : fftwf_plan_dft_2d(1 << rows, 1 << cols, in, out, FFTW_FORWARD, FFTW_ESTIMATE);
  const std::vector<cfloat> values = random_values(n);  // after planning, which may scribble
  std::memcpy(in, values.data(), n * sizeof(fftwf_complex));
  for (auto _ : state) {
    fftwf_execute(plan);
    benchmark::ClobberMemory();
  }
  fftwf_destroy_plan(plan);
  fftwf_free(in);
  fftwf_free(out);
  state.SetItemsProcessed(state.iterations() * n);
}

void sizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"log2rows", "log2cols"});
  b->Args({0, 10})->Args({0, 14})->Args({0, 16})->Args({9, 9});
}
BENCHMARK(BM_Fft_Qxcore)->Apply(sizes);
BENCHMARK(BM_Fft_KissFFT)->Apply(sizes);
BENCHMARK(BM_Fft_FFTW)->Apply(sizes);

}  // namespace
