// Internal: the block copy and 32-bit fill routines that init_cpu_trampoline
// chooses among. Plain versions in block_copy.cpp, SSE2 in block_copy_sse2.cpp.
#pragma once

#include <cstddef>

namespace quarn::block_copy {

// Reports "[sys] <routine>: null buffer" and answers true when either is null.
bool refuse_null(const void* dst, const void* src, const char* routine);

void* mm_memcpy_plain(void* dst, const void* src, unsigned int n);
void memset32b_plain(void* dst, unsigned int value, unsigned int count);
void memcpy32b_plain(void* dst, const void* src, unsigned int count);

#if defined(__SSE2__)
// Sizes from which the SSE2 copy hands over to REP MOVSB (0: never) and to
// streaming stores (0: never); set_copy_thresholds fills them from the
// processor's description when the dispatcher binds the copy.
struct copy_thresholds_t {
  std::size_t rep_movsb_from;
  std::size_t streaming_from;
};
void set_copy_thresholds(const copy_thresholds_t& thresholds);
copy_thresholds_t default_copy_thresholds();  // from CPUID: ERMS and the last-level cache

void* mm_memcpy_sse2(void* dst, const void* src, unsigned int n);
// The copy with explicit thresholds, so every strategy can be exercised.
void* copy_sse2(void* dst, const void* src, std::size_t n, const copy_thresholds_t& thresholds);
#endif

}  // namespace quarn::block_copy
