// The two pointer kinds that hold units. An owner_ptr_t owns its target:
// assigning another unit destroys the old one. A link_ptr_t only keeps its
// target referenced. Both are one pointer wide, so a unit's owning and linking
// attributes may be declared with them.
//
//   owner_ptr_t<car_t> car = static_cast<car_t*>(system.create_unit("car"));
//   link_ptr_t<car_t> seen = car;               // a second reference
//   owner_ptr_t<car_t>::ret_t out = car.release();  // ownership travels out
//   owner_ptr_t<car_t> adopted = std::move(out);
#pragma once

#include <utility>

#include "qxcore/units/unit_base.h"

namespace quarn {

template <class T>
class owner_ptr_t {
 public:
  // A unit on its way out of a function with its ownership released. The
  // receiver adopts it by assigning it to an owning pointer; a ret_t dropped
  // on the floor destroys its unit, so nothing is lost unreclaimed.
  class ret_t {
   public:
    ret_t() = default;
    explicit ret_t(T* fresh) : unit_(fresh) {}  // an unowned unit
    ret_t(ret_t&& other) noexcept : unit_(std::exchange(other.unit_, nullptr)) {}
    ret_t& operator=(ret_t&& other) noexcept {
      std::swap(unit_, other.unit_);
      return *this;
    }
    ~ret_t() {
      if (unit_ != nullptr) unit_->destroy_unowned();
    }
    T* get() const { return static_cast<T*>(unit_); }
    explicit operator bool() const { return unit_ != nullptr; }

   private:
    friend class owner_ptr_t;
    unit_base_t* take() { return std::exchange(unit_, nullptr); }
    unit_base_t* unit_ = nullptr;
  };

  owner_ptr_t() = default;
  owner_ptr_t(T* target) { unit_base_t::store_owning(&unit_, target); }
  owner_ptr_t(ret_t&& out) { unit_base_t::store_owning(&unit_, out.take()); }
  owner_ptr_t(owner_ptr_t&& other) noexcept : unit_(std::exchange(other.unit_, nullptr)) {}
  owner_ptr_t(const owner_ptr_t&) = delete;
  owner_ptr_t& operator=(const owner_ptr_t&) = delete;
  ~owner_ptr_t() { unit_base_t::store_owning(&unit_, nullptr); }

  owner_ptr_t& operator=(T* target) {
    unit_base_t::store_owning(&unit_, target);
    return *this;
  }
  owner_ptr_t& operator=(ret_t&& out) {
    unit_base_t::store_owning(&unit_, out.take());
    return *this;
  }
  owner_ptr_t& operator=(owner_ptr_t&& other) noexcept {
    if (this != &other) {
      unit_base_t::store_owning(&unit_, nullptr);
      unit_ = std::exchange(other.unit_, nullptr);
    }
    return *this;
  }

  // Lets go of the target without destroying it: its owned bit is cleared and
  // the reference dropped without queueing it.
  ret_t release() {
    unit_base_t* unit = std::exchange(unit_, nullptr);
    if (unit != nullptr) unit->release_ownership();
    return ret_t(static_cast<T*>(unit));
  }

  T* get() const { return static_cast<T*>(unit_); }
  T* operator->() const { return get(); }
  T& operator*() const { return *get(); }
  operator T*() const { return get(); }

 private:
  unit_base_t* unit_ = nullptr;
};

template <class T>
class link_ptr_t {
 public:
  link_ptr_t() = default;
  link_ptr_t(T* target) { unit_base_t::store_linking(&unit_, target); }
  link_ptr_t(const link_ptr_t& other) { unit_base_t::store_linking(&unit_, other.unit_); }
  ~link_ptr_t() { unit_base_t::store_linking(&unit_, nullptr); }

  link_ptr_t& operator=(T* target) {
    unit_base_t::store_linking(&unit_, target);
    return *this;
  }
  link_ptr_t& operator=(const link_ptr_t& other) {
    unit_base_t::store_linking(&unit_, other.unit_);
    return *this;
  }

  T* get() const { return static_cast<T*>(unit_); }
  T* operator->() const { return get(); }
  T& operator*() const { return *get(); }
  operator T*() const { return get(); }

 private:
  unit_base_t* unit_ = nullptr;
};

}  // namespace quarn
