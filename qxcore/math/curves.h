// Cubic curve segments for camera paths and animation: a point on the curve
// at parameter t, and optionally its unit tangent. t is not clamped, so
// values outside [0, 1] extrapolate the same cubic.
//
//   quarn::vec_t<float, 3> p, dir;
//   quarn::cr_curve(k0, k1, k2, k3, 0.25f, &p, &dir);  // a quarter from k1 to k2
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/vec.h"

namespace quarn {

// Catmull-Rom segment through p1 (t = 0) and p2 (t = 1); p0 and p3 shape the
// tangents at the ends. Either output may be null when it is not wanted; a
// zero tangent normalises to infinities or NaNs.
QX_API void cr_curve(const vec_t<float, 3>& p0, const vec_t<float, 3>& p1,
                     const vec_t<float, 3>& p2, const vec_t<float, 3>& p3, float t,
                     vec_t<float, 3>* point, vec_t<float, 3>* tangent = nullptr);

// Cubic Bézier from a to b with control points a + ha and b − hb: it leaves a
// along ha and arrives at b along hb.
QX_API void smooth_curve(const vec_t<float, 3>& a, const vec_t<float, 3>& ha,
                         const vec_t<float, 3>& b, const vec_t<float, 3>& hb, float t,
                         vec_t<float, 3>* point, vec_t<float, 3>* tangent = nullptr);

}  // namespace quarn
