// Transform hierarchies: nodes that hold a placement relative to their parent
// and a lazily computed, cached absolute placement (and, for matrix_node_t, a
// cached absolute matrix).
//
// Changes never recompute anything; they only mark the node and its subtree
// out of date, and the next read computes what is needed. Nodes do not own
// their parent or children: destroying a node turns its children into roots.
// The caches are written by const reads, so a node must not be read from two
// threads at once.
//
//   quarn::placement_node_t body, arm;
//   arm.set_parent(&body);
//   arm.set_relative({{0, 1, 0}, quarn::quat_t::zero});
//   quarn::vec_t<float, 3> hand = arm.get_absolute().pos;
#pragma once

#include "qxcore/core/export.h"
#include "qxcore/core/host_memory.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/placement.h"

namespace quarn {

class QX_API placement_node_t : public host_allocated_t {
 public:
  // States of the cache.
  static constexpr int STATE_OUT_OF_DATE = 0;
  static constexpr int STATE_ABSOLUTE = 1;  // absolute placement valid
  static constexpr int STATE_MATRIX = 2;    // absolute placement and matrix valid (matrix_node_t)

  placement_node_t();  // identity placements, no links, absolute valid
  // Copies both placements; no children; out of date; a child of the same
  // parent as `other` (inserted first in its child list).
  placement_node_t(const placement_node_t& other);
  // Copies both placements, then set_parent(other's parent); own children stay.
  placement_node_t& operator=(const placement_node_t& other);
  // Unlinks from the parent; the direct children become roots.
  virtual ~placement_node_t();

  // Re-links under p (null: a root), first in p's child list. A parent that
  // is this node or one of its descendants is reported and refused.
  void set_parent(placement_node_t* p);
  void set_relative(const placement_t& relative);
  // Stores the relative placement that yields `absolute` under the current
  // parent: parent_absolute.to_local_space(absolute).
  void set_absolute(const placement_t& absolute);

  const placement_t& get_absolute() const {
    return state_ >= STATE_ABSOLUTE ? absolute_ : full_get_absolute();
  }
  const placement_t& get_relative() const { return relative_; }
  placement_node_t* get_parent() const { return parent_; }
  placement_node_t* get_first_child() const { return first_child_; }
  placement_node_t* get_next_sibling() const { return next_sibling_; }
  int get_state() const { return state_; }

  // Puts `target` in this node's place: target is detached (as on
  // destruction), then takes this node's placements, children, parent and
  // position among its siblings; this node is left unlinked and out of date.
  void move_to(placement_node_t& target);

 protected:
  // absolute = parent.rot ⊗ relative.rot at parent.pos + R(parent.rot)·relative.pos,
  // computing stale ancestors first; state becomes 1.
  const placement_t& full_get_absolute() const;
  // State 0 for this node and every descendant whose state is ≥ 1.
  void mark_out_of_date();
  // As on destruction: out of date, unlinked, children made roots.
  void detach();
  // Moves links and placements to target (the shared part of both move_to).
  void move_links_to(placement_node_t& target);

  mutable placement_t absolute_;
  placement_t relative_;
  placement_node_t* parent_ = nullptr;
  placement_node_t* first_child_ = nullptr;
  placement_node_t* next_sibling_ = nullptr;
  mutable int state_ = STATE_ABSOLUTE;

 private:
  void unlink_from_parent();
  void link_under(placement_node_t* p);
  void resolve_from_parent() const;
};

class QX_API matrix_node_t : public placement_node_t {
 public:
  matrix_node_t();  // matrix identity
  matrix_node_t(const matrix_node_t& other);
  matrix_node_t& operator=(const matrix_node_t& other);
  ~matrix_node_t() override = default;

  // The absolute placement as a matrix (rotation, then translation).
  const mat_sq_t<float, 4>& get_matrix() const {
    return state_ == STATE_MATRIX ? matrix_ : full_get_matrix();
  }

  void move_to(matrix_node_t& target);  // as the base, plus the matrix
  using placement_node_t::move_to;

 protected:
  const mat_sq_t<float, 4>& full_get_matrix() const;

  mutable mat_sq_t<float, 4> matrix_;
};

}  // namespace quarn
