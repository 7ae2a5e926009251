// Arbitrary bytes as a dependency file: reading it never fails hard, and the
// out-of-date test walks whatever paths it held (each one stat-ed among the
// sources).
#include <cstdint>

#include "fuzz/scratch_mount.h"
#include "qxcore/qxcore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qxfuzz::put_scratch_file("r.dep", data, size);
  qxfuzz::put_scratch_file("r", data, 0);
  quarn::res_deps_t deps;
  if (deps.read(quarn::string_alias_t("/r")))
    for (unsigned int i = 0; i < deps.size(); ++i)
      if (deps.get(i).length() == 0) __builtin_trap();  // a listed path is never empty
  quarn::string_dyn_t<> reason;
  quarn::resource_is_out_of_date(quarn::string_alias_t("/r"), &reason);
  return 0;
}
