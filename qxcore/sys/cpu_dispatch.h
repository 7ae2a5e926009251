// CPU identification and the processor-dispatched routines.
//
// Hot routines (block copy, pixel streams, the math kernels, the CPU queries)
// are called through exported function-pointer variables. init_cpu_trampoline
// binds each to its plain version or a processor-specific one; qxcore_init
// calls it with the host's feature mask. Until then every variable holds a
// first-call stub that detects the processor once, silently, and calls on.
//
//   quarn::mm_memcpy(dst, src, n);
//   std::printf("%s: %s\n", quarn::get_cpu_name(), quarn::get_cpuflag_caps(quarn::identify_cpu()));
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

// Feature mask bits, as identify_cpu reports them and init_cpu_trampoline takes them.
constexpr unsigned int CPU_FEATURE_CPUID = 0x1;
constexpr unsigned int CPU_FEATURE_FPU = 0x2;
constexpr unsigned int CPU_FEATURE_MMX = 0x4;
constexpr unsigned int CPU_FEATURE_CMOV = 0x8;
constexpr unsigned int CPU_FEATURE_3DNOW = 0x10;
constexpr unsigned int CPU_FEATURE_3DNOWEXT = 0x20;
constexpr unsigned int CPU_FEATURE_SSE = 0x40;
constexpr unsigned int CPU_FEATURE_SSE2 = 0x80;
constexpr unsigned int CPU_FEATURE_CXMMX = 0x100;  // named only; never detected
constexpr unsigned int CPU_FEATURE_MMXEXT = 0x200;
constexpr unsigned int CPU_FORCE_PLAIN = 0x80000000u;  // bind the plain versions
constexpr unsigned int CPU_DETECT = 0x40000002u;       // detect the mask with CPUID

// Binds every dispatched variable for `flags` (CPU_DETECT: detect first). With
// `verbose` it reports the set-up through message().
QX_API void init_cpu_trampoline(unsigned int flags, bool verbose);

// Names of the set bits, blank-separated, in the order fpu cmov mmx mmxext
// cxmmx 3dnow 3dnowext sse sse2. The text lives in one buffer that the next
// call overwrites.
QX_API const char* get_cpuflag_caps(unsigned int flags);

// CPU queries.
QX_API extern unsigned int (*identify_cpu)();   // feature mask
QX_API extern unsigned int (*get_cpu_speed)();  // time-stamp counter ticks per microsecond
QX_API extern const char* (*get_cpu_name)();    // brand string or model name
QX_API extern const char* (*get_cpu_vendor)();  // 12-character vendor text

// Block copy: n bytes, regions must not overlap; returns dst.
QX_API extern void* (*mm_memcpy)(void* dst, const void* src, unsigned int n);
// 32-bit words: `count` words, not bytes. The destination and source need no
// particular alignment; copy regions must not overlap.
QX_API extern void (*memset32b)(void* dst, unsigned int value, unsigned int count);
QX_API extern void (*memcpy32b)(void* dst, const void* src, unsigned int count);

}  // namespace quarn
