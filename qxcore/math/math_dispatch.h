// Which implementation each dispatched math entry is bound to.
//
// The matrix builders, products, transposes, inverse, batch transforms and the
// float division / reciprocal / square root are exported function-pointer
// variables. They start bound (statically, before any code runs) to what
// math_bind_code_paths(MATH_CPU_FPU | MATH_CPU_SSE) gives: the SSE products and
// batch transforms where the build targets SSE2, the plain versions for the rest.
// Every implementation gives the plain one's results up to float rounding.
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

// The bits of the CPU feature mask that the math bindings look at.
constexpr unsigned int MATH_CPU_FPU = 0x2;
constexpr unsigned int MATH_CPU_SSE = 0x40;
constexpr unsigned int MATH_CPU_FORCE_PLAIN = 0x80000000u;

// Rebinds every math entry: the plain versions first, then, unless the
// force-plain bit is set, the SSE products and batch transforms when both the
// FPU and SSE bits are set (and the build has SSE2 code; otherwise plain).
QX_API void math_bind_code_paths(unsigned int cpu_flags);

}  // namespace quarn
