#include "qxcore/resources/cvfs_device.h"

#include "qxcore/core/messages.h"
#include "qxcore/resources/res_deps.h"
#include "qxcore/sys/spawn_wait.h"

namespace quarn {

namespace {

constinit ufs_cvfs_callback_t* notification = nullptr;

// The converter is given the path as one argument, never through a shell,
// so blanks and shell characters in a resource name reach it unchanged.
void launch_converter(const string& path) {
  if (notification != nullptr) notification->on_convert(path, true);
  const char* const argv[] = {ufs_cvfs_device_t::CONVERTER, path.c_str(), nullptr};
  int result = v_spawn_wait(argv);
  if (result != 0) error("Failed to convert the file '%s' (error %d).", path.c_str(), result);
  // Read again: the host may have swapped it while the tool ran.
  if (notification != nullptr) notification->on_convert(path, false);
}

}  // namespace

// The mount table builds every kind of device; this one lives here, above the
// file system it plugs into.
ufs_device_t* make_cvfs_device(fs_type_t type, const string& root, const string& prefix,
                               bool read_only, int priority) {
  return new ufs_cvfs_device_t(type, root, prefix, read_only, priority);
}

ufs_cvfs_callback_t::~ufs_cvfs_callback_t() = default;

ufs_cvfs_device_t::ufs_cvfs_device_t(fs_type_t type, const string& root, const string& prefix,
                                     bool read_only, int priority)
    : ufs_device_t(type, root, prefix, read_only, priority) {}

ufs_cvfs_callback_t* ufs_cvfs_device_t::set_notification(ufs_cvfs_callback_t* callback) {
  ufs_cvfs_callback_t* previous = notification;
  notification = callback;
  return previous;
}

void ufs_cvfs_device_t::convert_if_needed(const string& path) {
  if (resource_is_out_of_date(path, nullptr)) launch_converter(path);
}

file_t* ufs_cvfs_device_t::open(const string& path) {
  convert_if_needed(path);
  return nullptr;
}

bool ufs_cvfs_device_t::stat(const string& path, fs_stat_t*) {
  convert_if_needed(path);
  return false;
}

}  // namespace quarn
