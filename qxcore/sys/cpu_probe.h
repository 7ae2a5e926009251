// Internal: the processor and operating-system queries behind CPU
// identification and the choice of code paths. Every CPUID, EFLAGS, MXCSR and
// signal call of the library lives in cpu_probe.cpp.
#pragma once

#include <cstddef>

namespace quarn::cpu_probe {

struct cpuid_regs_t {
  unsigned int eax, ebx, ecx, edx;
};

bool cpuid_available();                 // the EFLAGS ID bit can be toggled
cpuid_regs_t cpuid(unsigned int leaf);  // sub-leaf 0; zeros without CPUID

// Each runs the named instruction under a guard for SIGILL; false when the
// processor or the system refuses it.
bool mmx_runs();   // pxor, emms
bool sse_runs();   // xorps
bool sse2_runs();  // xorpd

void set_flush_to_zero();  // MXCSR bit 15 of the calling thread

bool has_tsc();                        // CPUID(1) EDX bit 4
bool has_pclmul();                     // CPUID(1) ECX bit 1
bool has_fast_rep_movsb();             // CPUID(7) EBX bit 9 (ERMS)
std::size_t last_level_cache_bytes();  // 0 when the processor does not say

}  // namespace quarn::cpu_probe
