// The library's generators. The runtime's rand() may reach RAND_MAX, which is
// 2^31 - 1 here rather than 32767, so every scale is derived from RAND_MAX.
#include "qxcore/sys/random.h"

#include <cmath>
#include <cstdlib>

namespace quarn {

namespace {

constexpr unsigned int LCG_MODULUS = 139968;
constexpr unsigned int LCG_MULTIPLIER = 3877;
constexpr unsigned int LCG_INCREMENT = 29573;
constexpr float LCG_SCALE = 7.14449e-6f;  // 1 / 139968, rounded to float

constexpr double RUNTIME_MAX = RAND_MAX;
constexpr double TWO_PI = 6.283185307179586;

inline unsigned int advance(unsigned int state) {
  return (state * LCG_MULTIPLIER + LCG_INCREMENT) % LCG_MODULUS;
}

// A value in [-1, 1].
inline double runtime_signed_unit() { return std::rand() * (2.0 / RUNTIME_MAX) - 1.0; }

}  // namespace

randomizer_t::~randomizer_t() = default;

void randomizer_t::seed(unsigned int s) { state_ = s; }

float randomizer_t::rand() {
  state_ = advance(state_);
  return static_cast<float>(state_) * LCG_SCALE;
}

unsigned int randomizer_t::rand_u(unsigned int n) {
  state_ = advance(state_);
  return state_ * n / LCG_MODULUS;
}

bool randomizer_t::rand_b() { return rand_u(2) != 0; }

void v_seed(unsigned int s) { std::srand(s); }

float v_rand() { return static_cast<float>(std::rand() / RUNTIME_MAX); }

unsigned int v_rand_u(unsigned int n) {
  // rand() < RAND_MAX + 1, so the scaled product stays below n.
  unsigned long long product = static_cast<unsigned long long>(std::rand()) * n;
  return static_cast<unsigned int>(product / (static_cast<unsigned long long>(RAND_MAX) + 1));
}

float v_rand_gauss() {
  double a, b, s;
  do {
    a = runtime_signed_unit();
    b = runtime_signed_unit();
    s = b * b + a * a;
  } while (s >= 1.0 || s == 0.0);
  return static_cast<float>(a * std::sqrt(-2.0 * std::log(s) / s));
}

void v_rand_gauss_2d(float* x, float* y) {
  double angle = std::rand() * (TWO_PI / RUNTIME_MAX);
  double r = v_rand_gauss();
  if (x != nullptr) *x = static_cast<float>(r * std::cos(angle));
  if (y != nullptr) *y = static_cast<float>(r * std::sin(angle));
}

}  // namespace quarn
