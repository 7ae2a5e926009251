// Arbitrary bytes as file names and command lines: every path form, raw and
// string, into outputs sized exactly for the input, and the command-line
// table fed with the input cut into arguments. The checks are the sanitizers
// plus a few invariants that hold for any input.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_hooks.h"
#include "qxcore/qxcore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qxfuzz::start_library();
  if (size < 1) return 0;
  const unsigned int split = data[0];
  std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  const char* t = input.c_str();  // stops at the first NUL byte of the input
  std::size_t length = std::strlen(t);
  quarn::string_alias_t path(t);

  // Raw forms: each output gets exactly the room the design promises.
  std::vector<char> dir(length + 1), name(length + 1), ext(length + 1), copy(length + 1);
  quarn::v_fnsplit(t, dir.data(), name.data());
  if (std::strlen(dir.data()) + std::strlen(name.data()) > length) __builtin_trap();
  quarn::v_fnsplit(t, dir.data(), name.data(), ext.data());
  quarn::v_dos2unix(copy.data(), t);
  quarn::v_remove_slash(copy.data());
  quarn::v_unix2dos_path(copy.data());

  // String forms into growing and small fixed strings.
  quarn::string_dyn_t<> d, n, e;
  quarn::v_fnsplit(path, &d, &n, &e);
  if (d.length() + n.length() + e.length() > length + e.length()) __builtin_trap();
  quarn::string_fixed_t<5> fd, fn, fe;
  quarn::v_fnsplit(path, &fd, &fn, &fe);
  quarn::string_dyn_t<> composed;
  quarn::v_fncompose(&composed, d, n, e);
  quarn::v_absolutize_filename(&composed, n, path);
  quarn::v_change_extension(&composed, e);
  quarn::v_change_filename(&composed, path);
  quarn::v_check_extension(path, e);
  quarn::v_get_extension(composed, &composed);
  quarn::string_fixed_t<8> small;
  quarn::v_dos2unix(&small, path);  // may report the bounds check; must stay terminated
  if (std::strlen(small.c_str()) >= small.capacity()) __builtin_trap();

  // The command line: the input cut at every byte equal to the first one.
  std::vector<std::string> words(1);
  for (char c : input) {
    if (static_cast<unsigned char>(c) == split)
      words.emplace_back();
    else
      words.back() += c;
  }
  std::vector<const char*> argv;
  for (const auto& w : words) argv.push_back(w.c_str());
  quarn::cdl_init(static_cast<int>(argv.size()), argv.data());
  // argc itself, also past the arguments the table keeps.
  if (quarn::cdl_argc() != argv.size()) __builtin_trap();
  for (unsigned int k = 0; k <= quarn::cdl_argc(); ++k) {
    const char* a = quarn::cdl_argv(k);
    if (a != nullptr && k < argv.size() && std::strcmp(a, argv[k]) != 0) __builtin_trap();
  }
  unsigned int found = quarn::cdl_param(argv.back(), 0);
  if (found != quarn::CDL_NOT_FOUND && std::strcmp(quarn::cdl_argv(0), argv.back()) != 0)
    __builtin_trap();
  return 0;
}
