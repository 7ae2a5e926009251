// The text family: UAT_STRING keeps the text, UAT_TOKEN converts between the
// text and its token on the way in and out.
#include "qxcore/strings/tokens.h"
#include "qxcore/units/attribute_rules.h"

namespace quarn {

namespace {

using namespace unit_values;

constexpr mask_t TEXT_TYPES = bits(UAT_STRING, UAT_TOKEN);

// Stores the token only when the whole text converts.
bool token_of(const string& text, unsigned long long* slot) {
  unsigned long long token;
  if (!string_to_token(&token, text)) return false;
  *slot = token;
  return true;
}

}  // namespace

bool unit_base_t::get_value(const unit_attribute_t* a, mstring_t* out) const {
  if (!admits(this, a) || !serves(TEXT_TYPES, a->type, false)) return false;
  const void* at = _attribute_address(a);
  if (a->type == UAT_STRING) return out->copy(*static_cast<const mstring_t*>(at));
  return token_to_string(out, *static_cast<const unsigned long long*>(at));
}

bool unit_base_t::set_value(const unit_attribute_t* a, const string& value) {
  if (!admits(this, a) || !serves(TEXT_TYPES, a->type, false)) return false;
  void* at = _attribute_address(a);
  if (a->type == UAT_STRING) return static_cast<mstring_t*>(at)->copy(value);
  return token_of(value, static_cast<unsigned long long*>(at));
}

bool unit_base_t::get_value(const unit_attribute_t* a, unsigned int index, mstring_t* out) const {
  if (!admits(this, a) || !serves(TEXT_TYPES, a->type, true)) return false;
  const void* at = _attribute_address(a);
  if (a->type == UAT_STRING_ARRAY) {
    const auto& array = *static_cast<const array_t<unit_string_t>*>(at);
    return index < array.size() && out->copy(array.data()[index]);
  }
  const auto& array = *static_cast<const array_t<unsigned long long>*>(at);
  return index < array.size() && token_to_string(out, array.data()[index]);
}

bool unit_base_t::set_value(const unit_attribute_t* a, unsigned int index, const string& value) {
  if (!admits(this, a) || !serves(TEXT_TYPES, a->type, true)) return false;
  void* at = _attribute_address(a);
  if (a->type == UAT_STRING_ARRAY) {
    auto& array = *static_cast<array_t<unit_string_t>*>(at);
    return index < array.size() && array.data()[index].copy(value);
  }
  auto& array = *static_cast<array_t<unsigned long long>*>(at);
  return index < array.size() && token_of(value, &array.data()[index]);
}

namespace {

bool insert_text(void* at, unit_attr_type_t type, unsigned int index, const string& value,
                 bool (*position)(unsigned int, unsigned int, unsigned int*)) {
  if (type == UAT_STRING_ARRAY) {
    auto& array = *static_cast<array_t<unit_string_t>*>(at);
    unsigned int where;
    if (!position(index, array.size(), &where) || !insert_element(array, where, unit_string_t()))
      return false;
    // The text goes into the empty element in place, so a refused copy is seen.
    if (array.data()[where].copy(value)) return true;
    array.remove(where);
    return false;
  }
  auto& array = *static_cast<array_t<unsigned long long>*>(at);
  unsigned long long token;
  unsigned int where;
  return token_of(value, &token) && position(index, array.size(), &where) &&
         insert_element(array, where, token);
}

}  // namespace

bool unit_base_t::append_value(const unit_attribute_t* a, unsigned int index,
                               const string& value) {
  return admits(this, a) && serves(TEXT_TYPES, a->type, true) &&
         insert_text(_attribute_address(a), a->type, index, value, append_position);
}

bool unit_base_t::prepend_value(const unit_attribute_t* a, unsigned int index,
                                const string& value) {
  return admits(this, a) && serves(TEXT_TYPES, a->type, true) &&
         insert_text(_attribute_address(a), a->type, index, value, prepend_position);
}

bool unit_base_t::get_value(const unit_attribute_t* a, const mstring_t** out) const {
  if (!admits(this, a) || a->type != UAT_STRING) return false;
  *out = static_cast<const mstring_t*>(_attribute_address(a));
  return true;
}

bool unit_base_t::get_value(const unit_attribute_t*, unsigned int, const mstring_t**) const {
  return false;
}

}  // namespace quarn
