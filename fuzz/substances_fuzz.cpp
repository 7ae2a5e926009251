// Arbitrary bytes as a substance file: loading never fails hard, every name
// it stored is found again by its index, and releasing empties the table.
#include <cstdint>

#include "fuzz/scratch_mount.h"
#include "qxcore/qxcore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qxfuzz::put_scratch_file("s.txt", data, size);
  quarn::set_substance_file(quarn::string_alias_t("/s.txt"));
  quarn::substance_db_request();
  for (unsigned int i = 0; i < quarn::SUBSTANCE_COUNT; ++i) {
    const quarn::string& name = quarn::substance_idx2name(i);
    if (!name.empty() && quarn::substance_name2idx(name) > i) __builtin_trap();
  }
  quarn::substance_db_release();
  if (quarn::get_used_substance_count() != 0) __builtin_trap();
  return 0;
}
