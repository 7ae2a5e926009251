// Transform nodes: linking, marking out of date, lazy absolute placements.
//
// Hierarchies can be deep, so both walks (down when marking, up when
// resolving) are loops over the links rather than recursion.
#include "qxcore/math/transform_node.h"

#include "qxcore/core/messages.h"
#include "qxcore/math/matrix_builders.h"
#include "qxcore/math/transform_inline.h"

namespace quarn {

placement_node_t::placement_node_t() = default;

placement_node_t::placement_node_t(const placement_node_t& other)
    : host_allocated_t(),
      absolute_(other.absolute_),
      relative_(other.relative_),
      state_(STATE_OUT_OF_DATE) {
  link_under(other.parent_);
}

placement_node_t& placement_node_t::operator=(const placement_node_t& other) {
  relative_ = other.relative_;
  absolute_ = other.absolute_;
  set_parent(other.parent_);
  return *this;
}

placement_node_t::~placement_node_t() { detach(); }

void placement_node_t::detach() {
  mark_out_of_date();
  unlink_from_parent();
  placement_node_t* child = first_child_;
  while (child != nullptr) {
    placement_node_t* next = child->next_sibling_;
    child->parent_ = nullptr;
    child->next_sibling_ = nullptr;
    child = next;
  }
  first_child_ = nullptr;
}

void placement_node_t::unlink_from_parent() {
  if (parent_ == nullptr) return;
  placement_node_t** link = &parent_->first_child_;
  while (*link != nullptr && *link != this) link = &(*link)->next_sibling_;
  if (*link == this) *link = next_sibling_;
  parent_ = nullptr;
  next_sibling_ = nullptr;
}

void placement_node_t::link_under(placement_node_t* p) {
  parent_ = p;
  if (p == nullptr) return;
  next_sibling_ = p->first_child_;
  p->first_child_ = this;
}

void placement_node_t::mark_out_of_date() {
  state_ = STATE_OUT_OF_DATE;
  // Depth-first over the children that are still valid; a child already out
  // of date has an out-of-date subtree, so the walk does not enter it.
  placement_node_t* node = first_child_;
  while (node != nullptr) {
    bool descend = false;
    if (node->state_ >= STATE_ABSOLUTE) {
      node->state_ = STATE_OUT_OF_DATE;
      descend = node->first_child_ != nullptr;
    }
    if (descend) {
      node = node->first_child_;
      continue;
    }
    while (node != this && node->next_sibling_ == nullptr) node = node->parent_;
    if (node == this) break;
    node = node->next_sibling_;
  }
}

void placement_node_t::set_parent(placement_node_t* p) {
  // Only a node with children can be an ancestor of p, so the walk up is
  // skipped for leaves (hierarchies are usually built top-down).
  bool cycle = p == this;
  if (!cycle && first_child_ != nullptr)
    for (const placement_node_t* a = p; a != nullptr && !cycle; a = a->parent_) cycle = a == this;
  if (cycle) {
    error("[math] set_parent: a node cannot become a child of itself or of its descendants");
    return;
  }
  mark_out_of_date();
  if (p == parent_) return;
  unlink_from_parent();
  link_under(p);
}

void placement_node_t::set_relative(const placement_t& relative) {
  mark_out_of_date();
  relative_ = relative;
}

void placement_node_t::set_absolute(const placement_t& absolute) {
  if (parent_ == nullptr) {
    set_relative(absolute);
    return;
  }
  placement_t relative;
  parent_->get_absolute().to_local_space(&relative, absolute);
  set_relative(relative);
}

void placement_node_t::resolve_from_parent() const {
  if (parent_ == nullptr) {
    absolute_ = relative_;
  } else {
    const placement_t& p = parent_->absolute_;
    mat_sq_t<float, 4> r;
    p.rot.get_matrix(&r);
    placement_t a;
    a.rot = p.rot * relative_.rot;
    a.pos = p.pos + detail::transform_direction(r, relative_.pos);
    absolute_ = a;
  }
  state_ = STATE_ABSOLUTE;
}

const placement_t& placement_node_t::full_get_absolute() const {
  // Resolve top-down. Each pass remembers the topmost WINDOW stale nodes of
  // the chain above this one (a ring buffer of the last ones seen on the way
  // up) and resolves them, so a chain of length n takes n / WINDOW passes.
  constexpr unsigned int WINDOW = 256;
  while (state_ < STATE_ABSOLUTE) {
    const placement_node_t* ring[WINDOW];
    unsigned int seen = 0;
    for (const placement_node_t* n = this; n != nullptr && n->state_ < STATE_ABSOLUTE;
         n = n->parent_)
      ring[seen++ % WINDOW] = n;
    const unsigned int kept = seen < WINDOW ? seen : WINDOW;
    for (unsigned int i = 0; i < kept; ++i) ring[(seen - 1 - i) % WINDOW]->resolve_from_parent();
  }
  return absolute_;
}

void placement_node_t::move_links_to(placement_node_t& target) {
  target.detach();
  target.relative_ = relative_;
  target.absolute_ = absolute_;
  target.state_ = state_ >= STATE_ABSOLUTE ? STATE_ABSOLUTE : STATE_OUT_OF_DATE;

  target.first_child_ = first_child_;
  for (placement_node_t* c = first_child_; c != nullptr; c = c->next_sibling_) c->parent_ = &target;
  first_child_ = nullptr;

  target.parent_ = parent_;
  target.next_sibling_ = next_sibling_;
  if (parent_ != nullptr) {
    placement_node_t** link = &parent_->first_child_;
    while (*link != nullptr && *link != this) link = &(*link)->next_sibling_;
    if (*link == this) *link = &target;
  }
  parent_ = nullptr;
  next_sibling_ = nullptr;
  state_ = STATE_OUT_OF_DATE;
}

void placement_node_t::move_to(placement_node_t& target) {
  if (&target == this) return;
  move_links_to(target);
}

// matrix_node_t

matrix_node_t::matrix_node_t() { matrix_set_identity(&matrix_); }

matrix_node_t::matrix_node_t(const matrix_node_t& other)
    : placement_node_t(other), matrix_(other.matrix_) {}

matrix_node_t& matrix_node_t::operator=(const matrix_node_t& other) {
  placement_node_t::operator=(other);
  matrix_ = other.matrix_;
  return *this;
}

const mat_sq_t<float, 4>& matrix_node_t::full_get_matrix() const {
  get_absolute().compute_matrix(&matrix_);
  state_ = STATE_MATRIX;
  return matrix_;
}

void matrix_node_t::move_to(matrix_node_t& target) {
  if (&target == this) return;
  const int state = state_;
  move_links_to(target);
  target.matrix_ = matrix_;
  target.state_ = state;
}

}  // namespace quarn
