// vdatahash_t: a hash table from byte-string keys to fixed-size blocks of
// caller data held inline in the table's value list. The owner chooses the
// block size by calling init_mm on data_list() before the first put.
//
//   vdatahash_t sizes;
//   sizes.data_list()->init_mm(sizeof(unsigned int), 16, &my_pool);
//   *static_cast<unsigned int*>(sizes.put("wood", 4)) = 512;
#pragma once

#include "qxcore/collections/vhash_base.h"

namespace quarn {

class QX_API vdatahash_t : public vhash_base_t {
 public:
  vdatahash_t() = default;
  ~vdatahash_t() override;

  // The data of the key: the existing block, or a new one (contents not
  // initialised); null when the value list has no pool or memory runs out.
  void* put(const void* key, unsigned int length);
  void* find(const void* key, unsigned int length) const;  // null when absent
  bool remove_key(const void* key, unsigned int length);

  static void* entry2data(const vdatalist_node_t* entry);

  vdatalist_t* data_list() { return &values_; }

 protected:
  void release_payload(vdatalist_node_t* entry) override;

 private:
  vdatalist_t values_;
};

}  // namespace quarn
