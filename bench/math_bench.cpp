// Math side by side with GLM and Eigen, on the same data in one binary:
// - 4×4 matrix products over an array of matrix pairs;
// - transforming 1 000 000 points, packed (12-byte records) and inside
//   32-byte vertex records;
// - 4×4 inverses;
// - quaternion slerp.
// Our entries are the dispatched ones a host calls (function pointers bound
// by the math dispatch table).
#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <Eigen/Geometry>
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <random>
#include <vector>

#include "qxcore/qxcore.h"

namespace {

using mat4 = quarn::mat_sq_t<float, 4>;
using vec3 = quarn::vec_t<float, 3>;

constexpr int MATRICES = 1024;
constexpr unsigned int POINTS = 1000000;

// Well-conditioned affine-plus-noise matrices, stored as 16 row-major floats.
std::vector<float> random_matrices(unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> d(-1, 1);
  std::vector<float> m(16 * MATRICES);
  for (int i = 0; i < MATRICES; ++i)
    for (int k = 0; k < 16; ++k) m[16 * i + k] = d(rng) + (k % 5 == 0 ? 3.0f : 0.0f);
  return m;
}

std::vector<float> random_floats(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> d(-100, 100);
  std::vector<float> v(n);
  for (float& f : v) f = d(rng);
  return v;
}

// ---- 4×4 product --------------------------------------------------------

void BM_MatrixProduct_Qxcore(benchmark::State& state) {
  const std::vector<float> a = random_matrices(1), b = random_matrices(2);
  std::vector<mat4> out(MATRICES);
  const mat4* ma = reinterpret_cast<const mat4*>(a.data());
  const mat4* mb = reinterpret_cast<const mat4*>(b.data());
  for (auto _ : state) {
    for (int i = 0; i < MATRICES; ++i) quarn::mult_matrix_matrix_no(&out[i], &ma[i], &mb[i]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * MATRICES);
}
BENCHMARK(BM_MatrixProduct_Qxcore);

void BM_MatrixProduct_Glm(benchmark::State& state) {
  const std::vector<float> a = random_matrices(1), b = random_matrices(2);
  std::vector<glm::mat4> ga(MATRICES), gb(MATRICES), out(MATRICES);
  for (int i = 0; i < MATRICES; ++i)
    ga[i] = glm::make_mat4(&a[16 * i]), gb[i] = glm::make_mat4(&b[16 * i]);
  for (auto _ : state) {
    for (int i = 0; i < MATRICES; ++i) out[i] = ga[i] * gb[i];
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * MATRICES);
}
BENCHMARK(BM_MatrixProduct_Glm);

void BM_MatrixProduct_Eigen(benchmark::State& state) {
  const std::vector<float> a = random_matrices(1), b = random_matrices(2);
  std::vector<Eigen::Matrix4f> ea(MATRICES), eb(MATRICES), out(MATRICES);
  for (int i = 0; i < MATRICES; ++i) {
    ea[i] = Eigen::Map<const Eigen::Matrix<float, 4, 4, Eigen::RowMajor>>(&a[16 * i]);
    eb[i] = Eigen::Map<const Eigen::Matrix<float, 4, 4, Eigen::RowMajor>>(&b[16 * i]);
  }
  for (auto _ : state) {
    for (int i = 0; i < MATRICES; ++i) out[i].noalias() = eb[i] * ea[i];
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * MATRICES);
}
BENCHMARK(BM_MatrixProduct_Eigen);

// ---- 1 000 000 points through an affine matrix --------------------------

// Points at `stride` floats apart (3 packed, 8 inside a 32-byte record).
template <int Stride>
void BM_TransformPoints_Qxcore(benchmark::State& state) {
  const std::vector<float> in = random_floats(std::size_t(POINTS) * Stride, 3);
  std::vector<float> out(in.size());
  const mat4 m = *reinterpret_cast<const mat4*>(random_matrices(4).data());
  mat4 affine = m;
  affine.m[12] = affine.m[13] = affine.m[14] = 0, affine.m[15] = 1;
  for (auto _ : state) {
    quarn::_mult_point_matrix_fast(reinterpret_cast<vec3*>(out.data()),
                                   reinterpret_cast<const vec3*>(in.data()), &affine, POINTS,
                                   Stride * 4, Stride * 4);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * POINTS);
}
BENCHMARK(BM_TransformPoints_Qxcore<3>)->Name("BM_TransformPoints_Qxcore/packed");
BENCHMARK(BM_TransformPoints_Qxcore<8>)->Name("BM_TransformPoints_Qxcore/stride32");

template <int Stride>
void BM_TransformPoints_Glm(benchmark::State& state) {
  const std::vector<float> in = random_floats(std::size_t(POINTS) * Stride, 3);
  std::vector<float> out(in.size());
  const std::vector<float> rm = random_matrices(4);
  glm::mat4 m = glm::transpose(glm::make_mat4(rm.data()));  // row-major source
  m[0][3] = m[1][3] = m[2][3] = 0, m[3][3] = 1;
  for (auto _ : state) {
    for (unsigned int i = 0; i < POINTS; ++i) {
      const float* p = &in[std::size_t(i) * Stride];
      const glm::vec4 r = m * glm::vec4(p[0], p[1], p[2], 1.0f);
      float* o = &out[std::size_t(i) * Stride];
      o[0] = r.x, o[1] = r.y, o[2] = r.z;
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * POINTS);
}
BENCHMARK(BM_TransformPoints_Glm<3>)->Name("BM_TransformPoints_Glm/packed");
BENCHMARK(BM_TransformPoints_Glm<8>)->Name("BM_TransformPoints_Glm/stride32");

template <int Stride>
void BM_TransformPoints_Eigen(benchmark::State& state) {
  const std::vector<float> in = random_floats(std::size_t(POINTS) * Stride, 3);
  std::vector<float> out(in.size());
  const std::vector<float> rm = random_matrices(4);
  Eigen::Affine3f t;
  t.matrix() = Eigen::Map<const Eigen::Matrix<float, 4, 4, Eigen::RowMajor>>(rm.data());
  t.matrix().row(3) << 0, 0, 0, 1;
  using strided = Eigen::Map<Eigen::Matrix3Xf, 0, Eigen::OuterStride<Stride>>;
  using const_strided = Eigen::Map<const Eigen::Matrix3Xf, 0, Eigen::OuterStride<Stride>>;
  const_strided src(in.data(), 3, POINTS);
  strided dst(out.data(), 3, POINTS);
  for (auto _ : state) {
    dst.noalias() = t * src;  // the affine product of a block of points, as Eigen documents it
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * POINTS);
}
BENCHMARK(BM_TransformPoints_Eigen<3>)->Name("BM_TransformPoints_Eigen/packed");
BENCHMARK(BM_TransformPoints_Eigen<8>)->Name("BM_TransformPoints_Eigen/stride32");

// ---- 4×4 inverse --------------------------------------------------------

void BM_Inverse_Qxcore(benchmark::State& state) {
  const std::vector<float> a = random_matrices(5);
  const mat4* m = reinterpret_cast<const mat4*>(a.data());
  std::vector<mat4> out(MATRICES);
  for (auto _ : state) {
    for (int i = 0; i < MATRICES; ++i) quarn::matrix_get_inverse(&out[i], &m[i]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * MATRICES);
}
BENCHMARK(BM_Inverse_Qxcore);

void BM_Inverse_Glm(benchmark::State& state) {
  const std::vector<float> a = random_matrices(5);
  std::vector<glm::mat4> m(MATRICES), out(MATRICES);
  for (int i = 0; i < MATRICES; ++i) m[i] = glm::make_mat4(&a[16 * i]);
  for (auto _ : state) {
    for (int i = 0; i < MATRICES; ++i) out[i] = glm::inverse(m[i]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * MATRICES);
}
BENCHMARK(BM_Inverse_Glm);

void BM_Inverse_Eigen(benchmark::State& state) {
  const std::vector<float> a = random_matrices(5);
  std::vector<Eigen::Matrix4f> m(MATRICES), out(MATRICES);
  for (int i = 0; i < MATRICES; ++i)
    m[i] = Eigen::Map<const Eigen::Matrix<float, 4, 4, Eigen::RowMajor>>(&a[16 * i]);
  for (auto _ : state) {
    for (int i = 0; i < MATRICES; ++i) out[i] = m[i].inverse();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * MATRICES);
}
BENCHMARK(BM_Inverse_Eigen);

// ---- slerp --------------------------------------------------------------

struct slerp_data_t {
  std::vector<float> a, b, t;  // unit quaternions (w, x, y, z), parameters
  slerp_data_t() : a(4 * MATRICES), b(4 * MATRICES), t(MATRICES) {
    std::mt19937 rng(6);
    std::normal_distribution<float> n;
    std::uniform_real_distribution<float> u(0, 1);
    for (std::vector<float>* v : {&a, &b})
      for (int i = 0; i < MATRICES; ++i) {
        float len = 0;
        for (int k = 0; k < 4; ++k)
          (*v)[4 * i + k] = n(rng), len += (*v)[4 * i + k] * (*v)[4 * i + k];
        for (int k = 0; k < 4; ++k) (*v)[4 * i + k] /= std::sqrt(len);
      }
    for (float& f : t) f = u(rng);
  }
};

void BM_Slerp_Qxcore(benchmark::State& state) {
  const slerp_data_t d;
  const quarn::quat_t* a = reinterpret_cast<const quarn::quat_t*>(d.a.data());
  const quarn::quat_t* b = reinterpret_cast<const quarn::quat_t*>(d.b.data());
  std::vector<quarn::quat_t> out(MATRICES);
  for (auto _ : state) {
    for (int i = 0; i < MATRICES; ++i) out[i].slerp(a[i], b[i], d.t[i]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * MATRICES);
}
BENCHMARK(BM_Slerp_Qxcore);

void BM_Slerp_Glm(benchmark::State& state) {
  const slerp_data_t d;
  std::vector<glm::quat> a(MATRICES), b(MATRICES), out(MATRICES);
  for (int i = 0; i < MATRICES; ++i) {
    a[i] = glm::quat(d.a[4 * i], d.a[4 * i + 1], d.a[4 * i + 2], d.a[4 * i + 3]);
    b[i] = glm::quat(d.b[4 * i], d.b[4 * i + 1], d.b[4 * i + 2], d.b[4 * i + 3]);
  }
  for (auto _ : state) {
    for (int i = 0; i < MATRICES; ++i) out[i] = glm::slerp(a[i], b[i], d.t[i]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * MATRICES);
}
BENCHMARK(BM_Slerp_Glm);

void BM_Slerp_Eigen(benchmark::State& state) {
  const slerp_data_t d;
  std::vector<Eigen::Quaternionf> a(MATRICES), b(MATRICES), out(MATRICES);
  for (int i = 0; i < MATRICES; ++i) {
    a[i] = Eigen::Quaternionf(d.a[4 * i], d.a[4 * i + 1], d.a[4 * i + 2], d.a[4 * i + 3]);
    b[i] = Eigen::Quaternionf(d.b[4 * i], d.b[4 * i + 1], d.b[4 * i + 2], d.b[4 * i + 3]);
  }
  for (auto _ : state) {
    for (int i = 0; i < MATRICES; ++i) out[i] = a[i].slerp(d.t[i], b[i]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * MATRICES);
}
BENCHMARK(BM_Slerp_Eigen);

}  // namespace
