// Math: a small transform hierarchy, its world matrices, and boxes culled
// against a camera frustum.
#include <cstdio>

#include "qxcore/qxcore.h"
#include "tools/demo_host/tour.h"

namespace demo {

namespace {

quarn::quat_t yaw(float degrees) {
  quarn::quat_t q;
  q.set({0, 1, 0}, degrees);
  return q;
}

void print_vec(const char* label, const quarn::vec_t<float, 3>& v) {
  std::printf("%-28s (%7.3f, %7.3f, %7.3f)\n", label, v.x, v.y, v.z);
}

}  // namespace

void tour_math() {
  section("math");
  // A ship with a turret on its deck and a gun on the turret. Nodes made with
  // `new` come from the library's hooks (here the demo host's counting ones).
  quarn::matrix_node_t ship;
  quarn::matrix_node_t* turret = new quarn::matrix_node_t;
  quarn::matrix_node_t gun;
  turret->set_parent(&ship);
  gun.set_parent(turret);
  ship.set_relative({{100, 0, -50}, yaw(90)});
  turret->set_relative({{0, 3, 10}, yaw(-45)});
  gun.set_relative({{0, 1, -4}, quarn::quat_t::zero});
  print_vec("ship at", ship.get_absolute().pos);
  print_vec("turret at", turret->get_absolute().pos);
  print_vec("gun at", gun.get_absolute().pos);
  print_vec("gun points along", gun.get_absolute().rot.get_cartes());

  ship.set_relative({{100, 0, -80}, yaw(90)});  // the ship moves; the gun follows on the next read
  std::printf("after moving the ship, the gun is %s\n",
              gun.get_state() == 0 ? "marked out of date" : "still cached");
  print_vec("gun now at", gun.get_absolute().pos);

  // Unit boxes around each part, placed by the parts' world matrices.
  struct {
    const char* name;
    const quarn::matrix_node_t* node;
  } parts[] = {{"ship", &ship}, {"turret", turret}, {"gun", &gun}};
  quarn::frustum_t camera(60, 0.75f, 0.5f, 500);
  const struct {
    const char* where;
    quarn::vec_t<float, 3> pos;
    float heading;
  } views[] = {{"camera behind the ship, looking at it", {100, 20, 0}, 0},
               {"camera turned away", {100, 20, 0}, 180}};
  for (const auto& view : views) {
    quarn::quat_t look;
    look.set_ypr({-10, view.heading, 0});
    camera.update(view.pos, look);
    std::printf("%s:\n", view.where);
    for (const auto& part : parts) {
      quarn::aabox_t box{{-1, -1, -1}, {1, 1, 1}};
      box.transform(part.node->get_matrix());
      std::printf("  %-8s box (%6.1f..%6.1f, %5.1f..%5.1f, %6.1f..%6.1f): %s\n", part.name,
                  box.min.x, box.max.x, box.min.y, box.max.y, box.min.z, box.max.z,
                  camera.intersects(box) ? "visible" : "culled");
    }
  }

  // One vertex array through the dispatched batch transform, in place.
  quarn::vec_t<float, 3> corners[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  quarn::_mult_point_matrix_fast(corners, corners, &gun.get_matrix(), 4, sizeof corners[0],
                                 sizeof corners[0]);
  print_vec("gun-space (1,0,0) in world", corners[1]);

  quarn::mat_sq_t<float, 4> inverse;
  const bool invertible = quarn::matrix_get_inverse(&inverse, &gun.get_matrix());
  quarn::vec_t<float, 3> back;
  quarn::_mult_point_matrix(&back, &corners[1], &inverse, 1, sizeof back, sizeof back);
  std::printf("inverse %s; it brings that point back to (%.3f, %.3f, %.3f)\n",
              invertible ? "found" : "not found", back.x, back.y, back.z);
  delete turret;  // the gun becomes a root
  std::printf("turret deleted: the gun is %s\n",
              gun.get_parent() == nullptr ? "a root" : "attached");
}

}  // namespace demo
