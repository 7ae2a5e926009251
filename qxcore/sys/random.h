// Random numbers: randomizer_t, a small deterministic generator with its own
// state (the same sequence on every platform), and v_rand*, helpers over the
// C runtime's global generator (rand/srand).
//
//   quarn::randomizer_t dice;          // state 42
//   unsigned int face = dice.rand_u(6) + 1;
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

// Linear congruential: state = (state * 3877 + 29573) mod 139968, in 32-bit
// unsigned arithmetic.
class QX_API randomizer_t {
 public:
  randomizer_t() = default;
  virtual ~randomizer_t();

  virtual void seed(unsigned int s);            // state = s
  virtual float rand();                         // [0, 1)
  virtual unsigned int rand_u(unsigned int n);  // [0, n) for n <= 30683
  virtual bool rand_b();                        // rand_u(2) != 0, through the virtual call

  unsigned int state() const { return state_; }

 private:
  unsigned int state_ = 42;
};

// The runtime's global generator, scaled for this runtime's RAND_MAX.
QX_API void v_seed(unsigned int s);               // srand(s)
QX_API float v_rand();                            // [0, 1]
QX_API unsigned int v_rand_u(unsigned int n);     // [0, n); 0 when n is 0
QX_API float v_rand_gauss();                      // standard normal (polar method)
QX_API void v_rand_gauss_2d(float* x, float* y);  // normal length, uniform direction

}  // namespace quarn
