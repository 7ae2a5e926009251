// Batch and weighted transforms against double-precision references, over
// packed arrays, vectors inside larger records (odd strides included) and in
// place.
#include <cstring>
#include <vector>

#include "qxcore/math/batch_transforms.h"
#include "qxcore/math/skinning.h"
#include "tests/math/math_test_util.h"
#include "tests/support/capture_sink.h"

namespace {

using namespace mtest;

// N floats at `offset` inside records of `stride` bytes.
template <int N>
struct records_t {
  std::vector<unsigned char> bytes;
  unsigned int stride, offset;
  records_t(unsigned int count, unsigned int stride_, unsigned int offset_)
      : bytes(std::size_t(count) * stride_ + offset_ + 16, 0xAB),
        stride(stride_),
        offset(offset_) {}
  void* base() { return bytes.data() + offset; }
  std::array<float, N> get(unsigned int i) const {
    std::array<float, N> v;
    std::memcpy(v.data(), bytes.data() + offset + std::size_t(i) * stride, sizeof v);
    return v;
  }
  void set(unsigned int i, const std::array<float, N>& v) {
    std::memcpy(bytes.data() + offset + std::size_t(i) * stride, v.data(), sizeof v);
  }
};

struct layout_t {
  unsigned int stride, offset;
};
constexpr layout_t LAYOUTS_3[] = {{12, 0}, {16, 4}, {32, 8}, {13, 1}, {24, 12}, {0, 0}};
constexpr layout_t LAYOUTS_4[] = {{16, 0}, {32, 16}, {20, 3}};

// Error bound of a float dot product of `n` terms: (n + 1) ulps of the sum of
// the magnitudes.
double dot_bound(const double* terms, int n) {
  double s = 0;
  for (int i = 0; i < n; ++i) s += std::fabs(terms[i]);
  return (n + 1) * EPS * s;
}

enum kind_t { POINT, POINT_FAST, NORMAL, NORMAL_FAST, DEPTH };

// The reference result of one kind, and a bound on the float error.
void reference(kind_t kind, const mat4& m, const std::array<float, 3>& p, double out[3],
               double bound[3]) {
  const bool point = kind == POINT || kind == POINT_FAST || kind == DEPTH;
  double num[4], nb[4];
  for (int i = 0; i < 4; ++i) {
    double terms[4] = {double(m.m[4 * i]) * p[0], double(m.m[4 * i + 1]) * p[1],
                       double(m.m[4 * i + 2]) * p[2], point ? double(m.m[4 * i + 3]) : 0.0};
    num[i] = terms[0] + terms[1] + terms[2] + terms[3];
    nb[i] = dot_bound(terms, 4);
  }
  const bool divide = (kind == POINT || kind == NORMAL) && num[3] != 0;
  for (int i = 0; i < 3; ++i) {
    if (!divide) {
      out[i] = num[i];
      bound[i] = nb[i];
    } else {
      const double w = num[3];
      out[i] = num[i] / w;
      bound[i] =
          nb[i] / std::fabs(w) + std::fabs(num[i]) * nb[3] / (w * w) + 2 * EPS * std::fabs(out[i]);
    }
  }
  if (kind == DEPTH) {
    out[0] = num[2];
    bound[0] = nb[2];
  }
}

using transform3_fn = void (*)(vec3*, const vec3*, const mat4*, unsigned int, unsigned int,
                               unsigned int);

// Every binding, over every pair of record layouts (a zero input stride reads
// one record for all), with general and affine matrices.
TEST(BatchTransforms, ThreeComponentFormsMatchTheReference) {
  std::mt19937 rng(41);
  struct {
    const char* name;
    kind_t kind;
    transform3_fn* entry;
  } entries[] = {
      {"_mult_point_matrix", POINT, &quarn::_mult_point_matrix},
      {"_mult_point_matrix_fast", POINT_FAST, &quarn::_mult_point_matrix_fast},
      {"_mult_normal_matrix", NORMAL, &quarn::_mult_normal_matrix},
      {"_mult_normal_matrix_fast", NORMAL_FAST, &quarn::_mult_normal_matrix_fast},
  };
  const unsigned int count = 997;
  for_each_code_path([&] {
    for (const auto& e : entries)
      for (const layout_t& lin : LAYOUTS_3)
        for (const layout_t& lout : LAYOUTS_3) {
          if (lout.stride == 0) continue;
          mat4 m = random_mat4(rng, -2, 2);
          if (rng() % 2) m.m[12] = m.m[13] = m.m[14] = 0, m.m[15] = 1;
          records_t<3> in(count, lin.stride, lin.offset), out(count, lout.stride, lout.offset);
          for (unsigned int i = 0; i < count; ++i)
            in.set(i, {uniform(rng, -9, 9), uniform(rng, -9, 9), uniform(rng, -9, 9)});
          const std::vector<unsigned char> in_before = in.bytes;
          (*e.entry)(static_cast<vec3*>(out.base()), static_cast<const vec3*>(in.base()), &m, count,
                     lout.stride, lin.stride);
          ASSERT_EQ(in.bytes, in_before) << e.name;
          for (unsigned int i = 0; i < count; ++i) {
            double ref[3], bound[3];
            reference(e.kind, m, in.get(i), ref, bound);
            const auto got = out.get(i);
            for (int k = 0; k < 3; ++k)
              ASSERT_LE(std::fabs(got[k] - ref[k]), bound[k])
                  << e.name << " stride " << lin.stride << "/" << lout.stride << " #" << i;
          }
          // Bytes before, between and after the records are left alone.
          for (std::size_t b = 0; b < out.bytes.size(); ++b) {
            const bool written = b >= lout.offset && b < lout.offset + count * lout.stride &&
                                 (b - lout.offset) % lout.stride < 12;
            ASSERT_TRUE(written || out.bytes[b] == 0xAB) << e.name << " byte " << b;
          }
          if (lin.stride == 0) continue;
          // In place, and overlapping shifted by one record: record by record.
          records_t<3> inplace = in, shifted = in;
          (*e.entry)(static_cast<vec3*>(inplace.base()), static_cast<const vec3*>(inplace.base()),
                     &m, count, lin.stride, lin.stride);
          (*e.entry)(static_cast<vec3*>(shifted.base()),
                     reinterpret_cast<const vec3*>(shifted.bytes.data() + lin.offset + lin.stride),
                     &m, count - 1, lin.stride, lin.stride);
          for (unsigned int i = 0; i + 1 < count; ++i) {
            ASSERT_EQ(inplace.get(i), out.get(i)) << e.name;
            ASSERT_EQ(shifted.get(i), out.get(i + 1)) << e.name << " shifted";
          }
        }
  });
}

TEST(BatchTransforms, DepthAndFourVectorForms) {
  std::mt19937 rng(42);
  const unsigned int count = 513;
  for (const layout_t& lin : LAYOUTS_3) {
    const mat4 m = random_mat4(rng, -2, 2);
    records_t<3> in(count, lin.stride, lin.offset);
    records_t<1> out(count, 8, 4);
    for (unsigned int i = 0; i < count; ++i)
      in.set(i, {uniform(rng, -9, 9), uniform(rng, -9, 9), uniform(rng, -9, 9)});
    quarn::_mult_point_matrix_z(static_cast<float*>(out.base()),
                                static_cast<const vec3*>(in.base()), &m, count, 8, lin.stride);
    for (unsigned int i = 0; i < count; ++i) {
      double ref[3], bound[3];
      reference(DEPTH, m, in.get(i), ref, bound);
      ASSERT_LE(std::fabs(out.get(i)[0] - ref[0]), bound[0]);
    }
  }
  for (auto entry : {quarn::_mult_vector_matrix, quarn::_mult_vector_matrix_fast})
    for (const layout_t& lin : LAYOUTS_4) {
      const mat4 m = random_mat4(rng, -2, 2);
      records_t<4> in(count, lin.stride, lin.offset), out(count, 16, 0);
      for (unsigned int i = 0; i < count; ++i)
        in.set(i, {uniform(rng, -9, 9), uniform(rng, -9, 9), uniform(rng, -9, 9),
                   uniform(rng, -2, 2)});
      entry(static_cast<vec4*>(out.base()), static_cast<const vec4*>(in.base()), &m, count, 16,
            lin.stride);
      for (unsigned int i = 0; i < count; ++i) {
        const auto p = in.get(i), got = out.get(i);
        for (int r = 0; r < 4; ++r) {
          double terms[4];
          for (int c = 0; c < 4; ++c) terms[c] = double(m.m[4 * r + c]) * p[c];
          ASSERT_LE(std::fabs(got[r] - (terms[0] + terms[1] + terms[2] + terms[3])),
                    dot_bound(terms, 4));
        }
      }
    }
}

TEST(BatchTransforms, ZeroWeightLeavesThePointUndivided) {
  // Weight row (1, 0, 0, 0): a point with x = 0 has weight 0, one with x = 2 weight 2.
  mat4 m{{1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 3, 1, 0, 0, 0}};
  const vec3 in[2] = {{0, 5, 6}, {2, 4, 8}};
  vec3 out[2];
  quarn::_mult_point_matrix(out, in, &m, 2, sizeof(vec3), sizeof(vec3));
  EXPECT_EQ(out[0], (vec3{1, 7, 9}));
  EXPECT_EQ(out[1], (vec3{1.5f, 3, 5.5f}));
  quarn::_mult_normal_matrix(out, in, &m, 2, sizeof(vec3), sizeof(vec3));
  EXPECT_EQ(out[0], (vec3{0, 5, 6}));
  EXPECT_EQ(out[1], (vec3{1, 2, 4}));
}

TEST(BatchTransforms, NothingHappensWithoutData) {
  mat4 m{};
  vec3 v{1, 2, 3};
  for (auto entry : {quarn::_mult_point_matrix, quarn::_mult_point_matrix_fast,
                     quarn::_mult_normal_matrix, quarn::_mult_normal_matrix_fast}) {
    entry(&v, &v, &m, 0, 12, 12);
    entry(nullptr, &v, &m, 5, 12, 12);
    entry(&v, nullptr, &m, 5, 12, 12);
    entry(&v, &v, nullptr, 5, 12, 12);
  }
  EXPECT_EQ(v, (vec3{1, 2, 3}));
}

// Skinning: the blend of each vertex's bones, computed in double.
TEST(Skinning, BlendedTransformsMatchTheReference) {
  std::mt19937 rng(43);
  const unsigned int bones_n = 6, influences = 4, count = 400;
  std::vector<mat4> bones(bones_n);
  for (mat4& b : bones) b = random_mat4(rng);
  std::vector<float> weights(count * influences);
  std::vector<unsigned char> indices(count * influences);
  for (unsigned int i = 0; i < count * influences; ++i) {
    weights[i] = rng() % 4 == 0 ? 0.0f : uniform(rng, 0.1f, 1);
    indices[i] = static_cast<unsigned char>(rng() % bones_n);
  }
  std::vector<vec3> points(count), normals(count), pout(count), nout(count);
  std::vector<vec4> tangents(count), tout(count);
  for (unsigned int i = 0; i < count; ++i) {
    points[i] = random_vec3(rng, -5, 5);
    normals[i] = random_vec3(rng);
    tangents[i] = {uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1),
                   i % 2 ? 1.0f : -1.0f};
  }
  quarn::mult_weighted_parray(pout.data(), points.data(), weights.data(), indices.data(),
                              bones.data(), influences, count);
  quarn::mult_weighted_narray(nout.data(), normals.data(), weights.data(), indices.data(),
                              bones.data(), influences, count);
  quarn::mult_weighted_tarray(tout.data(), tangents.data(), weights.data(), indices.data(),
                              bones.data(), influences, count);
  for (unsigned int v = 0; v < count; ++v) {
    dmat blend{};
    double magnitude = 0;
    for (unsigned int k = 0; k < influences; ++k) {
      const float w = weights[v * influences + k];
      if (w == 0) break;  // a zero weight ends the list
      for (int e = 0; e < 16; ++e) blend[e] += w * bones[indices[v * influences + k]].m[e];
      magnitude += w;
    }
    const double tol = 64 * EPS * (magnitude + 1) * 10;
    ASSERT_LE(max_diff(pout[v], dpoint(blend, to_d(points[v])), 3), tol) << v;
    ASSERT_LE(max_diff(nout[v], ddir(blend, to_d(normals[v])), 3), tol) << v;
    const d3 t = ddir(blend, {tangents[v].x, tangents[v].y, tangents[v].z});
    ASSERT_LE(max_diff(tout[v], t, 3), tol) << v;
    ASSERT_EQ(tout[v].w, tangents[v].w);
  }
}

TEST(Skinning, BadIndicesAreReported) {
  mat4 bones[2];
  bones[0] = {{1, 0, 0, 10, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};   // translate x by 10
  bones[1] = {{1, 0, 0, 0, 0, 1, 0, 100, 0, 0, 1, 0, 0, 0, 0, 1}};  // translate y by 100
  qxtest::capture_sink_t sink;
  const float w2[4] = {0.5f, 0.5f, 0.5f, 0.5f};
  const unsigned char bad[4] = {0, 7, 1, 9};  // two vertices, one bad index each
  const vec3 in2[2] = {{2, 2, 2}, {2, 2, 2}};
  vec3 out2[2];
  quarn::mult_weighted_parray(out2, in2, w2, bad, bones, 2, 2, 2);
  EXPECT_EQ(out2[0], (vec3{6, 1, 1}));
  EXPECT_EQ(out2[1], (vec3{1, 51, 1}));
  ASSERT_EQ(sink.errors().size(), 1u);  // once per call
  EXPECT_EQ(sink.errors()[0],
            "[math] mult_weighted_parray: bone index 7 is not below the bone count 2");
}

}  // namespace
