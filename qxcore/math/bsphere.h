// bsphere_t: an object's bounding sphere with its squared radius and its
// transformed centre cached, for quick overlap tests between moving objects.
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/vec.h"

namespace quarn {

struct QX_API bsphere_t {
  vec_t<float, 3> center{0, 0, 0};
  float radius = 0;
  float radius2 = 0;                      // radius · radius
  vec_t<float, 3> trans_center{0, 0, 0};  // center through the last transform

  // Also radius² and a transformed centre equal to the centre.
  void set(const vec_t<float, 3>& c, float r);
  void expand();                                // radius grows by 1 %
  void transform(const mat_sq_t<float, 4>& m);  // the centre only; the radius is kept
  // The smallest sphere containing this one and p, when p is outside.
  void resize(const vec_t<float, 3>& p);
  // The smallest sphere containing this one and the other sphere.
  void resize(const vec_t<float, 3>& c, float r);
  // This centre against the other's transformed centre:
  // |d|² ≤ r² + r_o² + 2·r·r_o (touching spheres overlap).
  bool overlap(const bsphere_t& other) const;
};

}  // namespace quarn
