// Lines, segments and points: projections and distances, point comparisons,
// collinearity, 2-D classification against a line, planar (xz / xy)
// measures, and a small linear solver.
//
// "Accurate" roots use sqrt_acc. A line through a = b has no direction, and
// the functions without a guard then divide by zero like their formulas.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/vec.h"

namespace quarn {

// Planar measures.
QX_API float xz_length(const vec_t<float, 3>& v);  // |(x, z)|
QX_API float xz_length_squared(const vec_t<float, 3>& v);
QX_API float xz_distance(const vec_t<float, 3>& a, const vec_t<float, 3>& b);
QX_API float xz_distance_squared(const vec_t<float, 3>& a, const vec_t<float, 3>& b);
QX_API float get_2d_dist(const vec_t<float, 3>& a, const vec_t<float, 3>& b);  // in x and y

// t = ((p − a)·(b − a)) / |b − a|², out = a + t(b − a); returns t.
QX_API float project_point_on_line(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                   const vec_t<float, 3>& p, vec_t<float, 3>* out);
// Squared distance from p to the infinite line through a and b.
QX_API float get_edge_squaredist(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                 const vec_t<float, 3>& p);
QX_API float get_edge_dist(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                           const vec_t<float, 3>& p);
// The foot of p on the line, through the unit direction of b − a.
QX_API void get_edge_point(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                           const vec_t<float, 3>& p, vec_t<float, 3>* out);
// The foot as get_edge_point, and the squared distance from it to p.
QX_API float get_line_point_squaredist(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                       const vec_t<float, 3>& p, vec_t<float, 3>* out);

// Distances to the line (through project_point_on_line) and to the segment
// (t clamped to [0, 1]); the out forms also give the nearest point.
QX_API float point_line_distance_squared(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                         const vec_t<float, 3>& p);
QX_API float point_line_distance_squared(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                         const vec_t<float, 3>& p, vec_t<float, 3>* out);
QX_API float point_line_distance(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                 const vec_t<float, 3>& p);
QX_API float point_line_distance(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                 const vec_t<float, 3>& p, vec_t<float, 3>* out);
QX_API float point_segment_distance_squared(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                            const vec_t<float, 3>& p);
QX_API float point_segment_distance_squared(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                            const vec_t<float, 3>& p, vec_t<float, 3>* out);
QX_API float point_segment_distance(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                    const vec_t<float, 3>& p);
QX_API float point_segment_distance(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                                    const vec_t<float, 3>& p, vec_t<float, 3>* out);

// The projection of `onto` on the direction of v: (onto·û) û with û = v / |v|.
QX_API void project_vector2vector(const vec_t<float, 3>& v, const vec_t<float, 3>& onto,
                                  vec_t<float, 3>* out);
// The part of v perpendicular to n: v itself when v = 0, zero when n × v = 0.
QX_API void project_vector(const vec_t<float, 3>& n, const vec_t<float, 3>& v,
                           vec_t<float, 3>* out);

// All three |a_i − b_i| < eps (0.01 in the first form).
QX_API bool compare_vpoint(const vec_t<float, 3>& a, const vec_t<float, 3>& b);
QX_API bool compare_vpoint(const vec_t<float, 3>& a, const vec_t<float, 3>& b, float eps);
QX_API bool valid_point(const vec_t<float, 3>& p, float limit);  // all |p_i| ≤ limit
// The three 2-D cross products of a − b and c − b all below 0.05 in magnitude.
QX_API bool points_in_line(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                           const vec_t<float, 3>& c);

// Point 2 against the line from point 0 to point 1: 0 off the line (the
// cross product reaches max(|x1 − x0|, |y1 − y0|)); 1 behind point 0 (point 0
// strictly between 1 and 2 on x or y); 2 on the segment (point 1 strictly
// between 0 and 2 on neither axis); 3 beyond point 1.
QX_API int point_on_line_2d(float x0, float y0, float x1, float y1, float x2, float y2);
QX_API int point_on_line_xz(const vec_t<float, 3>& p0, const vec_t<float, 3>& p1,
                            const vec_t<float, 3>& p2);
QX_API int point_on_line_xy(const vec_t<float, 3>& p0, const vec_t<float, 3>& p1,
                            const vec_t<float, 3>& p2);
QX_API int point_on_line_zy(const vec_t<float, 3>& p0, const vec_t<float, 3>& p1,
                            const vec_t<float, 3>& p2);

// x·a + y·b + z·c = r by Cramer's rule; z may be null (skipped). A zero
// determinant sets the outputs to 0 and answers false; a zero numerator gives
// exactly 0.
QX_API bool solve_formulas(const vec_t<float, 3>& a, const vec_t<float, 3>& b,
                           const vec_t<float, 3>& c, const vec_t<float, 3>& r, float* x, float* y,
                           float* z);

}  // namespace quarn
