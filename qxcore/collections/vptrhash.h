// vptrhash_t: a hash table from byte-string keys to `void*` values. Keys are
// copied into the table; string keys are passed without their terminator.
//
//   vptrhash_t textures;
//   textures.put("wood", 4, wood);
//   auto* t = static_cast<texture_t*>(textures.find("wood", 4));
#pragma once

#include "qxcore/collections/vhash_base.h"
#include "qxcore/collections/vptrlist.h"

namespace quarn {

class QX_API vptrhash_t : public vhash_base_t {
 public:
  vptrhash_t();
  ~vptrhash_t() override;

  // Adds the key, or replaces the value of an existing one. A failure to
  // store a new key is reported by the key space.
  void put(const void* key, unsigned int length, void* value);
  void* find(const void* key, unsigned int length) const;        // null when absent
  void* remove_key(const void* key, unsigned int length);        // the removed value, or null
  bool remove_ptr(void* value);  // removes the first entry holding value
  // Copies at most *size_inout bytes of the key of the first entry holding
  // value and stores the count copied in *size_inout.
  bool ptr2key(void* value, void* key_out, unsigned int* size_inout);

  static void* entry2ptr(const vdatalist_node_t* entry);
  // The values in the order their keys were first put (removed keys drop out).
  const vptrlist_t& values() const { return values_; }

 protected:
  void release_payload(vdatalist_node_t* entry) override;

 private:
  vdatalist_node_t* find_value(const void* value) const;

  vptrlist_t values_;
};

}  // namespace quarn
