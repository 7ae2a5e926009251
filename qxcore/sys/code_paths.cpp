// The dispatch table: every processor-dispatched variable, its first-call
// stub, and init_cpu_trampoline, the one place that decides what each is
// bound to.
#include "qxcore/core/messages.h"
#include "qxcore/image/colour_stream_paths.h"
#include "qxcore/image/colour_streams.h"
#include "qxcore/math/batch_transforms.h"
#include "qxcore/math/float_ops.h"
#include "qxcore/math/math_dispatch.h"
#include "qxcore/math/matrix_builders.h"
#include "qxcore/math/matrix_inverse.h"
#include "qxcore/math/matrix_products.h"
#include "qxcore/sys/block_copy.h"
#include "qxcore/sys/checksum_paths.h"
#include "qxcore/sys/cpu_dispatch.h"
#include "qxcore/sys/cpu_identity.h"
#include "qxcore/sys/cpu_probe.h"

namespace quarn {

namespace {

// The first call of any dispatched routine binds them all (detecting the
// processor, without messages) and then goes on through the bound variable.
template <class F>
struct first_call_t;

template <class R, class... A>
struct first_call_t<R (*)(A...)> {
  template <R (**variable)(A...)>
  static R stub(A... args) {
    init_cpu_trampoline(CPU_DETECT, false);
    return (*variable)(args...);
  }
};

}  // namespace

// Defines a dispatched variable (declared in its header) holding its stub.
#define QX_DISPATCHED(variable) \
  constinit decltype(variable) variable = first_call_t<decltype(variable)>::stub<&variable>

QX_DISPATCHED(identify_cpu);
QX_DISPATCHED(get_cpu_speed);
QX_DISPATCHED(get_cpu_name);
QX_DISPATCHED(get_cpu_vendor);

QX_DISPATCHED(mm_memcpy);
QX_DISPATCHED(memset32b);
QX_DISPATCHED(memcpy32b);

QX_DISPATCHED(rgb_stream_add);
QX_DISPATCHED(rgb_stream_add_noalpha);
QX_DISPATCHED(rgb_stream_scale);
QX_DISPATCHED(rgb_stream_scale_const);
QX_DISPATCHED(rgb_stream_scaled_add);
QX_DISPATCHED(rgb_stream_scaled_add_noalpha);

// The math entries; math_bind_code_paths decides their versions.
QX_DISPATCHED(matrix_set_identity);
QX_DISPATCHED(matrix_set_translate);
QX_DISPATCHED(matrix_set_translate_inv);
QX_DISPATCHED(matrix_set_scale);
QX_DISPATCHED(matrix_set_const_scale);
QX_DISPATCHED(matrix_set_rotate);
QX_DISPATCHED(matrix_set_rotate_inv);
QX_DISPATCHED(matrix_set_quat);
QX_DISPATCHED(matrix_set_mirror);
QX_DISPATCHED(mult_matrix_matrix_lo);
QX_DISPATCHED(mult_matrix_matrix_ro);
QX_DISPATCHED(mult_matrix_matrix_no);
QX_DISPATCHED(matrix_transpose);
QX_DISPATCHED(matrix_transpose2);
QX_DISPATCHED(matrix_get_inverse);
QX_DISPATCHED(_mult_point_matrix);
QX_DISPATCHED(_mult_point_matrix_fast);
QX_DISPATCHED(_mult_point_matrix_z);
QX_DISPATCHED(_mult_normal_matrix);
QX_DISPATCHED(_mult_normal_matrix_fast);
QX_DISPATCHED(_mult_vector_matrix);
QX_DISPATCHED(_mult_vector_matrix_fast);
QX_DISPATCHED(div_acc);
QX_DISPATCHED(div_rgh);
QX_DISPATCHED(recip_acc);
QX_DISPATCHED(recip_rgh);
QX_DISPATCHED(sqrt_acc);
QX_DISPATCHED(sqrt_rgh);

#undef QX_DISPATCHED

namespace {

void bind_plain() {
  mm_memcpy = block_copy::mm_memcpy_plain;
  memset32b = block_copy::memset32b_plain;
  memcpy32b = block_copy::memcpy32b_plain;
  rgb_stream_add = default_rgb_stream_add;
  rgb_stream_add_noalpha = default_rgb_stream_add_noalpha;
  rgb_stream_scale = default_rgb_stream_scale;
  rgb_stream_scale_const = default_rgb_stream_scale_const;
  rgb_stream_scaled_add = default_rgb_stream_scaled_add;
  rgb_stream_scaled_add_noalpha = default_rgb_stream_scaled_add_noalpha;
  checksum_paths::crc32_update = checksum_paths::crc32_update_tables;
  checksum_paths::adler32_update = checksum_paths::adler32_update_plain;
}

// The SSE2 routines move integers in XMM registers, so they need SSE2 itself,
// not only SSE.
void bind_sse2() {
#if defined(__SSE2__)
  block_copy::set_copy_thresholds(block_copy::default_copy_thresholds());
  mm_memcpy = block_copy::mm_memcpy_sse2;
  rgb_stream_add = colour_stream_paths::rgb_stream_add_sse2;
  rgb_stream_add_noalpha = colour_stream_paths::rgb_stream_add_noalpha_sse2;
  rgb_stream_scale = colour_stream_paths::rgb_stream_scale_sse2;
  rgb_stream_scale_const = colour_stream_paths::rgb_stream_scale_const_sse2;
  rgb_stream_scaled_add = colour_stream_paths::rgb_stream_scaled_add_sse2;
  rgb_stream_scaled_add_noalpha = colour_stream_paths::rgb_stream_scaled_add_noalpha_sse2;
  checksum_paths::adler32_update = checksum_paths::adler32_update_sse2;
  // Carry-less multiplication is not part of the feature mask; the processor
  // itself is asked.
  if (checksum_paths::crc32_clmul_supported())
    checksum_paths::crc32_update = checksum_paths::crc32_update_clmul;
#endif
}

}  // namespace

void init_cpu_trampoline(unsigned int flags, bool verbose) {
  if (flags & CPU_FORCE_PLAIN) {
    identify_cpu = cpu_identity::identify_fallback;
    get_cpu_name = cpu_identity::name_fallback;
    get_cpu_vendor = cpu_identity::vendor_fallback;
    get_cpu_speed = cpu_identity::speed_fallback;
  } else {
    identify_cpu = cpu_identity::identify_detect;
    get_cpu_name = cpu_identity::name_detect;
    get_cpu_vendor = cpu_identity::vendor_detect;
    get_cpu_speed = cpu_identity::speed_detect;
  }
  if (flags == CPU_DETECT) flags = identify_cpu();
  if (verbose) message("[qxcore] Setting up code base to default C++ versions");

  bind_plain();
  // The math rules: SSE products (and the other SSE and AVX kernels) need the
  // FPU and SSE bits; the force bit keeps every entry plain.
  math_bind_code_paths(flags);
  if (!(flags & CPU_FORCE_PLAIN)) {
    if (flags & CPU_FEATURE_SSE2) bind_sse2();
  } else if (verbose) {
    message("[qxcore] code base forced to default C++ versions");
  }
}

const char* get_cpuflag_caps(unsigned int flags) {
  struct named_bit_t {
    unsigned int bit;
    const char* name;
  };
  static constexpr named_bit_t NAMES[] = {
      {CPU_FEATURE_FPU, "fpu"},           {CPU_FEATURE_CMOV, "cmov"},
      {CPU_FEATURE_MMX, "mmx"},           {CPU_FEATURE_MMXEXT, "mmxext"},
      {CPU_FEATURE_CXMMX, "cxmmx"},       {CPU_FEATURE_3DNOW, "3dnow"},
      {CPU_FEATURE_3DNOWEXT, "3dnowext"}, {CPU_FEATURE_SSE, "sse"},
      {CPU_FEATURE_SSE2, "sse2"}};
  // Every name with its blank fits: 9 names, 51 bytes and the terminator.
  static char text[64];
  char* end = text;
  for (const named_bit_t& named : NAMES) {
    if (!(flags & named.bit)) continue;
    if (end != text) *end++ = ' ';
    for (const char* c = named.name; *c != '\0'; ++c) *end++ = *c;
  }
  *end = '\0';
  return text;
}

}  // namespace quarn
