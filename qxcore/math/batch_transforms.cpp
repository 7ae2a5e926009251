// Plain batch transforms. Records are read and written with memcpy, so a
// stride need not keep floats aligned; the matrix is copied first, so out may
// even overlap it.
#include "qxcore/math/batch_transforms.h"

#include <cstring>

#include "qxcore/math/code_paths.h"

namespace quarn::code_paths {

namespace {

// Walks `count` records of In at `in_stride` bytes and writes one Out record
// per input at `out_stride` bytes; `f` maps the matrix and the input floats
// to the output floats.
template <int In, int Out, class F>
void for_each_record(void* out, const void* in, const mat4* m, unsigned int count,
                     unsigned int out_stride, unsigned int in_stride, F f) {
  if (out == nullptr || in == nullptr || m == nullptr) return;
  float mm[16];
  std::memcpy(mm, m->m, sizeof mm);
  const unsigned char* src = static_cast<const unsigned char*>(in);
  unsigned char* dst = static_cast<unsigned char*>(out);
  for (unsigned int n = 0; n < count; ++n, src += in_stride, dst += out_stride) {
    float v[In], r[Out];
    std::memcpy(v, src, sizeof v);
    f(mm, v, r);
    std::memcpy(dst, r, sizeof r);
  }
}

}  // namespace

void mult_point_matrix_plain(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                             unsigned int out_stride, unsigned int in_stride) {
  for_each_record<3, 3>(
      out, in, m, count, out_stride, in_stride, [](const float* a, const float* p, float* r) {
        for (int i = 0; i < 3; ++i)
          r[i] = a[4 * i] * p[0] + a[4 * i + 1] * p[1] + a[4 * i + 2] * p[2] + a[4 * i + 3];
        const float w = a[12] * p[0] + a[13] * p[1] + a[14] * p[2] + a[15];
        if (w != 0.0f)
          for (int i = 0; i < 3; ++i) r[i] /= w;
      });
}

void mult_point_matrix_fast_plain(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                                  unsigned int out_stride, unsigned int in_stride) {
  for_each_record<3, 3>(
      out, in, m, count, out_stride, in_stride, [](const float* a, const float* p, float* r) {
        for (int i = 0; i < 3; ++i)
          r[i] = a[4 * i] * p[0] + a[4 * i + 1] * p[1] + a[4 * i + 2] * p[2] + a[4 * i + 3];
      });
}

void mult_point_matrix_z_plain(float* out, const vec3* in, const mat4* m, unsigned int count,
                               unsigned int out_stride, unsigned int in_stride) {
  for_each_record<3, 1>(out, in, m, count, out_stride, in_stride,
                        [](const float* a, const float* p, float* r) {
                          r[0] = a[8] * p[0] + a[9] * p[1] + a[10] * p[2] + a[11];
                        });
}

void mult_normal_matrix_plain(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                              unsigned int out_stride, unsigned int in_stride) {
  for_each_record<3, 3>(out, in, m, count, out_stride, in_stride,
                        [](const float* a, const float* p, float* r) {
                          for (int i = 0; i < 3; ++i)
                            r[i] = a[4 * i] * p[0] + a[4 * i + 1] * p[1] + a[4 * i + 2] * p[2];
                          const float w = a[12] * p[0] + a[13] * p[1] + a[14] * p[2];
                          if (w != 0.0f)
                            for (int i = 0; i < 3; ++i) r[i] /= w;
                        });
}

void mult_normal_matrix_fast_plain(vec3* out, const vec3* in, const mat4* m, unsigned int count,
                                   unsigned int out_stride, unsigned int in_stride) {
  for_each_record<3, 3>(out, in, m, count, out_stride, in_stride,
                        [](const float* a, const float* p, float* r) {
                          for (int i = 0; i < 3; ++i)
                            r[i] = a[4 * i] * p[0] + a[4 * i + 1] * p[1] + a[4 * i + 2] * p[2];
                        });
}

void mult_vector_matrix_plain(vec4* out, const vec4* in, const mat4* m, unsigned int count,
                              unsigned int out_stride, unsigned int in_stride) {
  for_each_record<4, 4>(
      out, in, m, count, out_stride, in_stride, [](const float* a, const float* p, float* r) {
        for (int i = 0; i < 4; ++i)
          r[i] = a[4 * i] * p[0] + a[4 * i + 1] * p[1] + a[4 * i + 2] * p[2] + a[4 * i + 3] * p[3];
      });
}

}  // namespace quarn::code_paths
