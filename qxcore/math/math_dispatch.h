// Which implementation each dispatched math entry is bound to.
//
// The matrix builders, products, transposes, inverse, batch transforms and the
// float division / reciprocal / square root are exported function-pointer
// variables. When the library has loaded they are bound as by
// math_bind_code_paths(MATH_CPU_FPU | MATH_CPU_SSE): the SSE products, inverse
// and point/normal transforms (AVX products, inverse and packed transforms
// where the processor has AVX), the plain versions of the rest. Every version gives the
// plain one's results; the SSE and AVX ones sum in the same order without
// fused multiply-add, so they agree bit for bit.
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

// The bits of the CPU feature mask that the math bindings look at.
constexpr unsigned int MATH_CPU_FPU = 0x2;
constexpr unsigned int MATH_CPU_SSE = 0x40;
constexpr unsigned int MATH_CPU_FORCE_PLAIN = 0x80000000u;

// Rebinds every math entry: the plain versions first; then, unless the
// force-plain bit is set and when both the FPU and SSE bits are, the SSE
// versions (builds with SSE2 code); then, with wide_vectors, the AVX versions
// when the processor reports AVX (the mask has no bit for it). wide_vectors =
// false keeps the SSE versions, so that they can be checked on any machine.
QX_API void math_bind_code_paths(unsigned int cpu_flags, bool wide_vectors = true);

}  // namespace quarn
