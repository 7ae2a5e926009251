// CPUID, EFLAGS, MXCSR and the SIGILL guard around test instructions.
#include "qxcore/sys/cpu_probe.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <setjmp.h>
#include <signal.h>
#include <xmmintrin.h>
#define QX_X86 1
#else
#define QX_X86 0
#endif

namespace quarn::cpu_probe {

#if QX_X86

namespace {

// One guarded probe at a time: the library is single-threaded by contract,
// and the guard only exists while a probe runs.
sigjmp_buf* probe_jump = nullptr;

void on_illegal_instruction(int) { siglongjmp(*probe_jump, 1); }

bool runs_without_fault(void (*probe)()) {
  struct sigaction guard = {}, previous = {};
  guard.sa_handler = on_illegal_instruction;
  sigemptyset(&guard.sa_mask);
  if (sigaction(SIGILL, &guard, &previous) != 0) return false;
  sigjmp_buf jump;
  probe_jump = &jump;
  bool ran = false;
  if (sigsetjmp(jump, 1) == 0) {
    probe();
    ran = true;
  }
  probe_jump = nullptr;
  sigaction(SIGILL, &previous, nullptr);
  return ran;
}

void mmx_probe() { asm volatile("pxor %%mm0, %%mm0\n\temms" ::: "mm0"); }
void sse_probe() { asm volatile("xorps %%xmm0, %%xmm0" ::: "xmm0"); }
void sse2_probe() { asm volatile("xorpd %%xmm0, %%xmm0" ::: "xmm0"); }

}  // namespace

bool cpuid_available() {
  // Flip bit 21 of EFLAGS and see whether it stays flipped.
  unsigned long before, after;
  asm volatile(
      "pushf\n\t"
      "pop %0\n\t"
      "mov %0, %1\n\t"
      "xor $0x200000, %1\n\t"
      "push %1\n\t"
      "popf\n\t"
      "pushf\n\t"
      "pop %1\n\t"
      "push %0\n\t"
      "popf"
      : "=&r"(before), "=&r"(after)
      :
      : "cc");
  return ((before ^ after) & 0x200000) != 0;
}

cpuid_regs_t cpuid(unsigned int leaf) {
  cpuid_regs_t r = {0, 0, 0, 0};
  if (cpuid_available()) __cpuid_count(leaf, 0, r.eax, r.ebx, r.ecx, r.edx);
  return r;
}

bool mmx_runs() { return runs_without_fault(mmx_probe); }
bool sse_runs() { return runs_without_fault(sse_probe); }
bool sse2_runs() { return runs_without_fault(sse2_probe); }

void set_flush_to_zero() { _mm_setcsr(_mm_getcsr() | 0x8000); }

bool has_tsc() { return cpuid(0).eax >= 1 && (cpuid(1).edx & (1u << 4)) != 0; }
bool has_pclmul() { return cpuid(0).eax >= 1 && (cpuid(1).ecx & (1u << 1)) != 0; }
bool has_fast_rep_movsb() { return cpuid(0).eax >= 7 && (cpuid(7).ebx & (1u << 9)) != 0; }

std::size_t last_level_cache_bytes() {
  // Deterministic cache parameters: Intel's leaf 4, AMD's leaf 0x8000001D;
  // each sub-leaf describes one cache until the type field reads 0.
  unsigned int leaf = 0;
  if (cpuid(0).eax >= 4) {
    leaf = 4;
  } else if (cpuid(0x80000000).eax >= 0x8000001D) {
    leaf = 0x8000001D;
  } else {
    return 0;
  }
  std::size_t largest = 0;
  for (unsigned int index = 0; index < 16; ++index) {
    unsigned int eax, ebx, ecx, edx;
    __cpuid_count(leaf, index, eax, ebx, ecx, edx);
    if ((eax & 0x1F) == 0) break;
    std::size_t ways = (ebx >> 22) + 1, partitions = ((ebx >> 12) & 0x3FF) + 1;
    std::size_t line = (ebx & 0xFFF) + 1, sets = static_cast<std::size_t>(ecx) + 1;
    std::size_t bytes = ways * partitions * line * sets;
    if (bytes > largest) largest = bytes;
  }
  return largest;
}

#else  // not x86: no CPUID, and no instruction set to probe

bool cpuid_available() { return false; }
cpuid_regs_t cpuid(unsigned int) { return {0, 0, 0, 0}; }
bool mmx_runs() { return false; }
bool sse_runs() { return false; }
bool sse2_runs() { return false; }
void set_flush_to_zero() {}
bool has_tsc() { return false; }
bool has_pclmul() { return false; }
bool has_fast_rep_movsb() { return false; }
std::size_t last_level_cache_bytes() { return 0; }

#endif

}  // namespace quarn::cpu_probe
