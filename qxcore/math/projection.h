// Projection matrices from a viewport rectangle, and their inverses.
//
// The rectangle spans r0..r1 horizontally and r3 (bottom) .. r2 (top)
// vertically. Clip-space z runs from −1 at the near plane to +1 at the far
// plane; the camera looks along −Z.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"

namespace quarn {

struct rect_t {
  float r0, r1, r2, r3;
};

QX_API void r_ortho_projection_matrix(mat_sq_t<float, 4>* m, const rect_t& rect, float near_plane,
                                      float far_plane);
// Undoes x and y of the forward matrix; its z row, (near − far)/2·z +
// (near + far)/2, takes clip z −1 to far and +1 to near (distances along the
// view direction, in reverse order) rather than back to −near and −far.
QX_API void r_ortho_projection_inverse_matrix(mat_sq_t<float, 4>* m, const rect_t& rect,
                                              float near_plane, float far_plane);
// Perspective: tan(fov/2)·near spans the smaller side of the rectangle, the
// other side follows its proportion; fov in degrees.
QX_API void r_frustum_projection_matrix(mat_sq_t<float, 4>* m, const rect_t& rect, float near_plane,
                                        float far_plane, float fov);
QX_API void r_frustum_projection_inverse_matrix(mat_sq_t<float, 4>* m, const rect_t& rect,
                                                float near_plane, float far_plane, float fov);

}  // namespace quarn
