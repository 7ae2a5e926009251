// Declaring a unit class in a few lines. In the class body, QX_UNIT_CLASS
// adds the statics every unit class exposes and the virtual operations that
// compose with the parent class. In one source file, QX_UNIT_DEFINE writes the
// class name, the fingerprint, the attribute table and the descriptor as
// constant data. The compiler checks each attribute: its offset comes from the
// member, the member's type must store the attribute's value type, and the
// domain must be the record of that type. QX_UNIT_ENUM sorts an enumeration's
// symbols both ways at compile time.
//
//   // car.h
//   class car_t : public quarn::unit_t {
//     QX_UNIT_CLASS(car_t, quarn::unit_t)
//    public:
//     float speed = 0;
//     int colour = 0;
//     quarn::owner_ptr_t<wheel_t> spare;
//   };
//   // car.cpp
//   constinit const quarn::unit_attr_t<quarn::UAT_FLOAT> speed_range{0, 300};
//   QX_UNIT_ENUM(colours, {0, "red"}, {1, "green"});
//   QX_UNIT_DEFINE(car_t, "car",
//                  QX_UNIT_ATTR(speed, UAT_FLOAT, &speed_range),
//                  QX_UNIT_ATTR(colour, UAT_ENUM, &colours),
//                  QX_UNIT_ATTR(spare, UAT_OWNED_UNIT, nullptr));
#pragma once

#include <cstddef>
#include <iterator>
#include <type_traits>
#include <utility>

#include "qxcore/units/unit.h"
#include "qxcore/units/unit_bank.h"
#include "qxcore/units/unit_ptr.h"
#include "qxcore/units/unit_system.h"

namespace quarn {

// Which pointer attributes a member type can hold: 1 owning, 2 linking,
// 3 either (a plain pointer to a unit class), 0 none.
template <class U>
struct unit_holder_kind {
  static constexpr int value = 0;
};
template <class T>
struct unit_holder_kind<T*> {
  static constexpr int value = std::is_base_of_v<unit_base_t, T> ? 3 : 0;
};
template <class T>
struct unit_holder_kind<owner_ptr_t<T>> {
  static constexpr int value = 1;
};
template <class T>
struct unit_holder_kind<link_ptr_t<T>> {
  static constexpr int value = 2;
};

// Whether a value of scalar attribute type S can live in a member of type E.
template <unsigned int S, class E>
constexpr bool unit_scalar_fits() {
  switch (S) {
    case UAT_STRING: return std::is_base_of_v<mstring_t, E>;
    case UAT_TOKEN: case UAT_U64: return std::is_same_v<E, unsigned long long>;
    case UAT_FLOAT: return std::is_same_v<E, float>;
    case UAT_FLOAT2: return std::is_same_v<E, unit_float2_t>;
    case UAT_FLOAT3: return std::is_same_v<E, unit_float3_t>;
    case UAT_FLOAT4: return std::is_same_v<E, unit_float4_t>;
    case UAT_MATRIX: return std::is_same_v<E, unit_matrix_t>;
    case UAT_QUAT: return std::is_same_v<E, quat_t>;
    case UAT_PLACEMENT: return std::is_same_v<E, placement_t>;
    case UAT_PLACEMENT_SCALE: return std::is_same_v<E, placement_scale_t>;
    case UAT_PLACEMENT_NONUNIFORM: return std::is_same_v<E, placement_nonuniform_t>;
    case UAT_PLANE: return std::is_same_v<E, plane_t>;
    case UAT_SPHERE: return std::is_same_v<E, sphere_t>;
    case UAT_AABOX: return std::is_same_v<E, aabox_t>;
    case UAT_S32: case UAT_S32_ALT: return std::is_same_v<E, int>;
    case UAT_U32: case UAT_U32_ALT: case UAT_U32_UNCHECKED: return std::is_same_v<E, unsigned int>;
    case UAT_S64: return std::is_same_v<E, long long>;
    case UAT_BOOL: return std::is_same_v<E, bool>;
    // An enumeration may be kept in a C++ enum of int size.
    case UAT_ENUM: return std::is_same_v<E, int> || (std::is_enum_v<E> && sizeof(E) == sizeof(int));
    default: return false;
  }
}

// Whether a member of type M can hold the values of attribute type N.
template <unsigned int N, class M>
constexpr bool unit_member_fits() {
  using U = std::remove_cv_t<M>;
  if constexpr (N == UAT_RESOURCE_TIE || N == UAT_RESOURCE_TIE_ARRAY) {
    return true;  // the host's tie decides what it stores
  } else if constexpr (N == UAT_STRING_ARRAY) {
    return std::is_base_of_v<array_t<unit_string_t>, U>;
  } else if constexpr (N == UAT_OWNED_UNIT) {
    return (unit_holder_kind<U>::value & 1) != 0;
  } else if constexpr (N == UAT_LINKED_UNIT) {
    return (unit_holder_kind<U>::value & 2) != 0;
  } else if constexpr (N == UAT_OWNED_UNIT_ARRAY || N == UAT_LINKED_UNIT_ARRAY) {
    return std::is_base_of_v<array_t<unit_base_t*>, U>;
  } else if constexpr (N % 2 == 0) {
    using element_t = std::remove_pointer_t<decltype(std::declval<U&>().data())>;
    return std::is_base_of_v<array_t<element_t>, U> && unit_scalar_fits<N - 1, element_t>();
  } else {
    return unit_scalar_fits<N, U>();
  }
}

// The domain of an attribute, checked against the attribute's value type.
template <unsigned int N, class M>
constexpr const void* unit_checked_domain(const unit_attr_t<(N % 2 == 1 ? N : N - 1)>* domain) {
  static_assert(N >= 1 && N <= UAT_LAST, "unknown unit attribute type");
  static_assert(unit_member_fits<N, M>(), "the member's type does not store this attribute type");
  return domain;
}

// The factory of a unit class; none for an abstract one.
template <class X>
unit_base_t* unit_new_instance(unit_system_t* system) {
  if constexpr (std::is_abstract_v<X>)
    return nullptr;
  else
    return new X(system);
}

// Not constexpr on purpose: reaching it stops a compile-time evaluation.
void unit_enum_repeats_a_value_or_a_symbol();

// One symbol of an enumeration, as the host writes it.
struct unit_enum_item_t {
  int value;
  const char* symbol;
};

// The orders in which an enumeration's symbols sort by value and by symbol
// (unsigned byte order). Repeated values or symbols stop the compilation.
template <unsigned int N>
struct unit_enum_order_t {
  unsigned int at[N];

  static constexpr int compare(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) ++a, ++b;
    return static_cast<int>(static_cast<unsigned char>(*a)) -
           static_cast<int>(static_cast<unsigned char>(*b));
  }

  constexpr unit_enum_order_t(const unit_enum_item_t (&items)[N], bool by_symbol) : at{} {
    for (unsigned int i = 0; i < N; ++i) at[i] = i;
    for (unsigned int i = 1; i < N; ++i)
      for (unsigned int j = i; j > 0; --j) {
        const unit_enum_item_t& a = items[at[j - 1]];
        const unit_enum_item_t& b = items[at[j]];
        int c = by_symbol ? compare(a.symbol, b.symbol) : (a.value > b.value) - (a.value < b.value);
        if (c == 0) unit_enum_repeats_a_value_or_a_symbol();
        if (c < 0) break;
        unsigned int t = at[j];
        at[j] = at[j - 1];
        at[j - 1] = t;
      }
  }
};

// Both sorted arrays of the symbols in `Items`, as constant data.
template <const auto& Items, class Indexes = std::make_index_sequence<std::size(Items)>>
struct unit_enum_tables_t;

template <const auto& Items, std::size_t... I>
struct unit_enum_tables_t<Items, std::index_sequence<I...>> {
  static constexpr unsigned int N = sizeof...(I);
  static constexpr unit_enum_order_t<N> values{Items, false};
  static constexpr unit_enum_order_t<N> symbols{Items, true};
  static const unit_enum_entry_t by_value[N];
  static const unit_enum_entry_t by_symbol[N];
};

template <const auto& Items, std::size_t... I>
constinit const unit_enum_entry_t
    unit_enum_tables_t<Items, std::index_sequence<I...>>::by_value[] = {
        {Items[values.at[I]].value,
         string_alias_t(Items[values.at[I]].symbol, string_alias_t::static_text_t{})}...};

template <const auto& Items, std::size_t... I>
constinit const unit_enum_entry_t
    unit_enum_tables_t<Items, std::index_sequence<I...>>::by_symbol[] = {
        {Items[symbols.at[I]].value,
         string_alias_t(Items[symbols.at[I]].symbol, string_alias_t::static_text_t{})}...};

// The domain record over those tables.
template <const auto& Items>
constexpr unit_attr_t<UAT_ENUM> unit_enum_domain() {
  using tables = unit_enum_tables_t<Items>;
  return {0, tables::N, tables::by_value, tables::by_symbol};
}

}  // namespace quarn

// In the class body of a unit class `cls` derived from `parent`.
#define QX_UNIT_CLASS(cls, parent)                                                          \
 public:                                                                                    \
  using qx_self_t = cls;                                                                    \
  using qx_parent_t = parent;                                                               \
  using parent::parent;                                                                     \
  static const ::quarn::string_alias_t class_name;                                          \
  static const unsigned int fingerprint;                                                    \
  static const ::quarn::unit_descriptor_t unit_descriptor;                                  \
  static const ::quarn::unit_attribute_t attributes[];                                      \
  static ::quarn::unit_base_t* create_instance(::quarn::unit_system_t* system) {            \
    return ::quarn::unit_new_instance<cls>(system);                                         \
  }                                                                                         \
  static void destroy_instance(::quarn::unit_base_t* unit, ::quarn::unit_system_t*) {       \
    _delete_unit(unit);                                                                     \
  }                                                                                         \
  static bool register_class(::quarn::unit_bank_t& bank) {                                  \
    return bank.register_class(unit_descriptor);                                            \
  }                                                                                         \
  const ::quarn::unit_descriptor_t* get_unit_descriptor() const override {                  \
    return &unit_descriptor;                                                                \
  }                                                                                         \
  void destroy() override {                                                                 \
    _destroy_attributes(unit_descriptor);                                                   \
    parent::destroy();                                                                      \
  }                                                                                         \
  ::quarn::unit_base_t* clone() const override { return _clone_as<cls>(); }                 \
                                                                                            \
 protected:                                                                                 \
  bool _clone_to(::quarn::unit_base_t* target) const override {                             \
    return parent::_clone_to(target) && _clone_attributes_to(unit_descriptor, target);      \
  }                                                                                         \
                                                                                            \
 private:

// One attribute: the member, the value type (UAT_... without the namespace)
// and a pointer to its domain record or nullptr. The _NAMED form gives the
// attribute a name other than the member's.
#define QX_UNIT_ATTR_NAMED(member, name, type, domain)                                      \
  ::quarn::unit_attribute_t {                                                               \
    &qx_self_t::unit_descriptor, static_cast<unsigned int>(offsetof(qx_self_t, member)),    \
        ::quarn::type,                                                                      \
        ::quarn::unit_checked_domain<::quarn::type, decltype(qx_self_t::member)>(domain),   \
        name                                                                                \
  }
#define QX_UNIT_ATTR(member, type, domain) QX_UNIT_ATTR_NAMED(member, #member, type, domain)

// In one source file: the class name, fingerprint, attribute table and
// descriptor of `cls`, all constant data.
#define QX_UNIT_DEFINE(cls, name, ...)                                                      \
  _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Winvalid-offsetof\"")   \
  constinit const ::quarn::string_alias_t cls::class_name = name;                           \
  constinit const unsigned int cls::fingerprint = ::quarn::unit_fingerprint_of(#cls);       \
  constinit const ::quarn::unit_attribute_t cls::attributes[] = {                           \
      __VA_OPT__(__VA_ARGS__, )::quarn::unit_attribute_t{&cls::unit_descriptor, 0,          \
                                                         ::quarn::UAT_NONE, nullptr, ""}};  \
  constinit const ::quarn::unit_descriptor_t cls::unit_descriptor = {                       \
      &cls::class_name,                                                                     \
      std::is_abstract_v<cls> ? nullptr : &cls::create_instance,                            \
      &cls::destroy_instance,                                                               \
      &cls::qx_parent_t::unit_descriptor,                                                   \
      cls::attributes,                                                                      \
      &cls::fingerprint};                                                                   \
  _Pragma("GCC diagnostic pop")

// An enumeration domain record `name`: QX_UNIT_ENUM(name, {value, "symbol"}, ...),
// the symbols in any order.
#define QX_UNIT_ENUM(name, ...)                                                   \
  constexpr ::quarn::unit_enum_item_t name##_symbols[] = {__VA_ARGS__};            \
  constinit const ::quarn::unit_attr_t<::quarn::UAT_ENUM> name =                   \
      ::quarn::unit_enum_domain<name##_symbols>()
