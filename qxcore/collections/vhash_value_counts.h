// vhash_value_counts_t: how many entries of a hash table carry each full
// 32-bit bucket hash value. With it a table knows how many different values
// a bucket holds, which decides whether growing can spread a crowded bucket:
// keys of one value share a bucket at every table size.
#pragma once

namespace quarn {

class vhash_value_counts_t {
 public:
  vhash_value_counts_t() = default;
  ~vhash_value_counts_t();
  vhash_value_counts_t(const vhash_value_counts_t&) = delete;
  vhash_value_counts_t& operator=(const vhash_value_counts_t&) = delete;

  // One more entry of `value`: 1 when it is the first, 0 when not, -1 when
  // the host refused the memory (nothing counted).
  int add(unsigned int value);
  // One entry of `value` fewer (it must be counted); true when it was the last.
  bool remove(unsigned int value);
  void clear();    // counts nothing, memory kept
  void release();  // memory returned

  // Calls f(value) once for every value counted.
  template <class F>
  void for_each_value(F f) const {
    for (unsigned int i = 0; i < capacity_; ++i)
      if (slots_[i].count != 0) f(slots_[i].value);
  }

 private:
  struct slot_t {
    unsigned int value;
    unsigned int count;  // 0: empty slot
  };
  unsigned int home(unsigned int value) const;
  bool rehash(unsigned int capacity);

  slot_t* slots_ = nullptr;    // open addressing, linear probing
  unsigned int capacity_ = 0;  // a power of two
  unsigned int used_ = 0;      // slots holding a value
};

}  // namespace quarn
