#include "qxcore/units/unit_resource_tie.h"

#include "qxcore/core/assertions.h"
#include "qxcore/core/host_memory.h"
#include "qxcore/core/service_initializers.h"
#include "qxcore/strings/strings_mutable.h"

namespace quarn {

namespace {

constinit unit_resource_tie_t* current_tie = nullptr;

// Every default operation is reported where it happens, from this module.
void unsupported(const char* text, unsigned int line) {
  v_abort_fail(text, "units/unit_resource_tie", line, "unknown fn");
}

constexpr const char* CANNOT_DESTROY = "[unit] Resource tie is unable to destroy itself.";
constexpr const char* CANNOT_CLONE = "[unit] Resource tie is unable to clone itself.";
constexpr const char* CANNOT_GET = "[unit] Can not get resource tie attribute value.";
constexpr const char* CANNOT_SET = "[unit] Can not set the resource tie attribute value.";

}  // namespace

unit_resource_tie_t::unit_resource_tie_t() { current_tie = this; }
unit_resource_tie_t::~unit_resource_tie_t() { current_tie = nullptr; }

unit_resource_tie_t* unit_resource_tie_t::get_instance() { return current_tie; }

void unit_resource_tie_t::destroy_instance() { delete current_tie; }

void* unit_resource_tie_t::operator new(std::size_t size) noexcept { return host_alloc(size); }
void unit_resource_tie_t::operator delete(void* p) noexcept { host_free(p); }

bool unit_resource_tie_t::get_resource_name(mstring_t* out, unit_base_t*) {
  if (out != nullptr) out->clear();
  unsupported("[unit] Can not support querying names of resources.", 67);
  return false;
}

bool unit_resource_tie_t::check_resource_type(unit_base_t* resource) {
  if (resource == nullptr) return true;
  unsupported("[unit] Can not support resource type checking.", 87);
  return false;
}

void unit_resource_tie_t::destroy_value(unit_base_t*, const unit_attribute_t*) {
  unsupported(CANNOT_DESTROY, 102);
}

void unit_resource_tie_t::destroy_array(unit_base_t*, const unit_attribute_t*) {
  unsupported(CANNOT_DESTROY, 116);
}

bool unit_resource_tie_t::clone_value(const unit_base_t*, const unit_attribute_t*, unit_base_t*) {
  unsupported(CANNOT_CLONE, 134);
  return false;
}

bool unit_resource_tie_t::clone_array(const unit_base_t*, const unit_attribute_t*, unit_base_t*) {
  unsupported(CANNOT_CLONE, 153);
  return false;
}

unit_base_t* unit_resource_tie_t::load_resource(const string&, unit_base_t*,
                                                const unit_attribute_t*) {
  unsupported("[unit] Can not load the resource tie.", 171);
  return nullptr;
}

void unit_resource_tie_t::unload_resource(unit_base_t* resource, unit_base_t*,
                                          const unit_attribute_t*) {
  if (resource != nullptr) unsupported("[unit] Can not unload the resource tie.", 191);
}

bool unit_resource_tie_t::remove_element(unit_base_t*, const unit_attribute_t*, unsigned int) {
  unsupported("[unit] Can not remove element from array of resource ties.", 206);
  return false;
}

bool unit_resource_tie_t::get_array_size(const unit_base_t*, const unit_attribute_t*,
                                         unsigned int*) {
  unsupported("[unit] Can not query the size of array of resource ties.", 223);
  return false;
}

bool unit_resource_tie_t::request_array_capacity(unit_base_t*, const unit_attribute_t*,
                                                 unsigned int) {
  unsupported("[unit] Can not change capacity of array of resource ties.", 238);
  return false;
}

bool unit_resource_tie_t::get_value(const unit_base_t*, const unit_attribute_t*, unit_base_t**) {
  unsupported(CANNOT_GET, 255);
  return false;
}

bool unit_resource_tie_t::get_element(const unit_base_t*, const unit_attribute_t*, unsigned int,
                                      unit_base_t**) {
  unsupported(CANNOT_GET, 273);
  return false;
}

bool unit_resource_tie_t::get_array_copy(const unit_base_t*, const unit_attribute_t*,
                                         array_t<unit_base_t*>*) {
  unsupported("[unit] Can not get the resource tie array copy.", 290);
  return false;
}

bool unit_resource_tie_t::set_value(unit_base_t*, const unit_attribute_t*, unit_base_t*) {
  unsupported(CANNOT_SET, 306);
  return false;
}

bool unit_resource_tie_t::set_element(unit_base_t*, const unit_attribute_t*, unsigned int,
                                      unit_base_t*) {
  unsupported(CANNOT_SET, 323);
  return false;
}

bool unit_resource_tie_t::append_element(unit_base_t*, const unit_attribute_t*, unsigned int,
                                         unit_base_t*) {
  unsupported("[unit] Can not append the resource tie attribute value.", 340);
  return false;
}

bool unit_resource_tie_t::prepend_element(unit_base_t*, const unit_attribute_t*, unsigned int,
                                          unit_base_t*) {
  unsupported("[unit] Can not prepend the resource tie attribute value.", 357);
  return false;
}

// The default tie is the third service qxcore_init starts. Its stop deletes
// whichever tie is current then, the host's included.
resource_tie_initializer_t::resource_tie_initializer_t() { new unit_resource_tie_t; }
resource_tie_initializer_t::~resource_tie_initializer_t() { unit_resource_tie_t::destroy_instance(); }

}  // namespace quarn
