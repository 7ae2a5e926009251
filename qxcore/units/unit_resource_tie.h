// unit_resource_tie_t: the host's hand in resource-tie attributes (types 51
// and 52). The unit model forwards every operation on such an attribute to the
// current tie; the library's default tie reports each as unsupported. A host
// that uses resource ties derives its own class and makes an instance current:
//
//   unit_resource_tie_t::destroy_instance();   // the default one
//   my_tie_t* tie = new my_tie_t;              // current from now on
#pragma once

#include "qxcore/collections/arrays/arrays_base_impl.h"
#include "qxcore/units/unit_structs.h"

namespace quarn {

class mstring_t;

class QX_API unit_resource_tie_t {
 public:
  unit_resource_tie_t();            // becomes the current instance
  virtual ~unit_resource_tie_t();   // leaves no current instance
  unit_resource_tie_t(const unit_resource_tie_t&) = delete;
  unit_resource_tie_t& operator=(const unit_resource_tie_t&) = delete;

  static unit_resource_tie_t* get_instance();
  static void destroy_instance();   // deletes the current instance, if any

  // Operations, in slot order. `unit` holds the attribute `attr`.
  virtual bool get_resource_name(mstring_t* out, unit_base_t* resource);
  virtual bool check_resource_type(unit_base_t* resource);
  virtual void destroy_value(unit_base_t* unit, const unit_attribute_t* attr);
  virtual void destroy_array(unit_base_t* unit, const unit_attribute_t* attr);
  virtual bool clone_value(const unit_base_t* source, const unit_attribute_t* attr,
                           unit_base_t* target);
  virtual bool clone_array(const unit_base_t* source, const unit_attribute_t* attr,
                           unit_base_t* target);
  virtual unit_base_t* load_resource(const string& name, unit_base_t* unit,
                                     const unit_attribute_t* attr);
  virtual void unload_resource(unit_base_t* resource, unit_base_t* unit,
                               const unit_attribute_t* attr);
  virtual bool remove_element(unit_base_t* unit, const unit_attribute_t* attr,
                              unsigned int index);
  virtual bool get_array_size(const unit_base_t* unit, const unit_attribute_t* attr,
                              unsigned int* size);
  virtual bool request_array_capacity(unit_base_t* unit, const unit_attribute_t* attr,
                                      unsigned int capacity);
  virtual bool get_value(const unit_base_t* unit, const unit_attribute_t* attr,
                         unit_base_t** out);
  virtual bool get_element(const unit_base_t* unit, const unit_attribute_t* attr,
                           unsigned int index, unit_base_t** out);
  virtual bool get_array_copy(const unit_base_t* unit, const unit_attribute_t* attr,
                              array_t<unit_base_t*>* out);
  virtual bool set_value(unit_base_t* unit, const unit_attribute_t* attr, unit_base_t* resource);
  virtual bool set_element(unit_base_t* unit, const unit_attribute_t* attr, unsigned int index,
                           unit_base_t* resource);
  virtual bool append_element(unit_base_t* unit, const unit_attribute_t* attr,
                              unsigned int index, unit_base_t* resource);
  virtual bool prepend_element(unit_base_t* unit, const unit_attribute_t* attr,
                               unsigned int index, unit_base_t* resource);

  // The default instance comes from the host's hooks like every library object.
  static void* operator new(std::size_t size) noexcept;
  static void operator delete(void* p) noexcept;
};

}  // namespace quarn
