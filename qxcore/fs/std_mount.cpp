#include "qxcore/fs/std_mount.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "qxcore/core/messages.h"
#include "qxcore/fs/fs.h"
#include "qxcore/fs/user_dirs.h"
#include "qxcore/strings/command_line.h"

namespace quarn {

namespace {

constexpr unsigned int MODULE_PRIORITY = 60;
constexpr int HOME_PRIORITY = 650;
constexpr int TEMP_PRIORITY = 1;

// Case-insensitive order; names that differ only in case keep a fixed order
// among themselves, so which one a later module overrides does not depend on
// the host's listing order.
int compare_names(const void* a, const void* b) {
  const char* x = (*static_cast<fs_direntry_t* const*>(a))->name.c_str();
  const char* y = (*static_cast<fs_direntry_t* const*>(b))->name.c_str();
  int order = ::strcasecmp(x, y);
  return order != 0 ? order : std::strcmp(x, y);
}

bool is_module(const fs_direntry_t& entry) {
  unsigned int length = entry.name.length();
  return entry.is_directory == 0 && length >= 4 &&
         std::strcmp(entry.name.c_str() + length - 4, ".qpk") == 0;
}

}  // namespace

// clang-format off
const std_mount_record_t std_mount_t::RSRC_WRITABLE          = {3, true,  FS_DEVICE_DIRECTORY,  "rsrc",      "", false, 150};
const std_mount_record_t std_mount_t::RSRC_READ_ONLY         = {3, true,  FS_DEVICE_DIRECTORY,  "rsrc",      "", true,  150};
const std_mount_record_t std_mount_t::BASE_ARCHIVE           = {4, false, FS_DEVICE_ARCHIVE,    "base.qpk",  "", true,  50};
const std_mount_record_t std_mount_t::PATCH_ARCHIVE          = {4, false, FS_DEVICE_ARCHIVE,    "patch.qpk", "", true,  60};
const std_mount_record_t std_mount_t::BASE_DIRECTORY         = {0, false, FS_DEVICE_DIRECTORY,  "base",      "", true,  450};
const std_mount_record_t std_mount_t::BASE_LISTING           = {0, false, FS_DEVICE_LISTING,    "base",      "", true,  450};
const std_mount_record_t std_mount_t::BASE_TEST_DIRECTORY    = {8, false, FS_DEVICE_DIRECTORY,  "base_test", "", true,  451};
const std_mount_record_t std_mount_t::BASE_TEST_LISTING      = {8, false, FS_DEVICE_LISTING,    "base_test", "", true,  451};
const std_mount_record_t std_mount_t::USER                   = {1, true,  FS_DEVICE_DIRECTORY,  "user",      "", true,  350};
const std_mount_record_t std_mount_t::DEPENDENCIES_WRITABLE  = {2, true,  FS_DEVICE_DIRECTORY,  ".dep",      "", false, 0};
const std_mount_record_t std_mount_t::DEPENDENCIES_READ_ONLY = {2, true,  FS_DEVICE_DIRECTORY,  ".dep",      "", true,  0};
const std_mount_record_t std_mount_t::CONVERTING             = {5, false, FS_DEVICE_CONVERTING, "",          "", true,  200};
// clang-format on

std_mount_t::std_mount_t() : slots_{}, module_count_(0) {}

std_mount_t::~std_mount_t() = default;

bool std_mount_t::mount(const std_mount_record_t& record) {
  if (record.slot >= SLOT_COUNT) return false;
  if (record.make_directory_first && !fs_mkdir(string_alias_t(record.root), FS_TYPE_NATIVE))
    return false;
  slots_[record.slot] = ufs_mount(record.kind, string_alias_t(record.root),
                                  string_alias_t(record.prefix), record.read_only, record.priority);
  return slots_[record.slot] != nullptr;
}

void std_mount_t::mount_directories(std_mount_mode_t mode) {
  static const std_mount_record_t* const base_archive[] = {&BASE_ARCHIVE, nullptr};
  static const std_mount_record_t* const patch_archive[] = {&PATCH_ARCHIVE, nullptr};
  static const std_mount_record_t* const converting[] = {
      &BASE_LISTING,   &BASE_TEST_LISTING, &USER,       &DEPENDENCIES_READ_ONLY,
      &RSRC_READ_ONLY, &BASE_ARCHIVE,      &CONVERTING, nullptr};
  static const std_mount_record_t* const writable[] = {
      &BASE_DIRECTORY, &BASE_TEST_DIRECTORY, &RSRC_WRITABLE, &DEPENDENCIES_WRITABLE, nullptr};
  const std_mount_record_t* const* records = nullptr;
  switch (static_cast<unsigned int>(mode)) {
    case 0:
      records = base_archive;
      break;
    case 1:
      records = patch_archive;
      break;
    case 4:
    case 5:
      records = converting;
      break;
    case 6:
      records = writable;
      break;
    default:
      return;
  }
  for (; *records != nullptr; ++records) mount(**records);
}

void std_mount_t::mount_home(const string& name) {
  if (cdl_param("-homeless", 1) != CDL_NOT_FOUND) return;
  string_dyn_t<> root;
  if (!usr_get_homedir(&root) || !root.append(string_alias_t("/")) || !root.append(name)) return;
  message("Home directory: '%s'", root.c_str());
  if (!mount({SLOT_HOME, true, FS_DEVICE_DIRECTORY, root.c_str(), "/home", false, HOME_PRIORITY}))
    error("Home directory mount failed!");
}

void std_mount_t::mount_temp() {
  string_dyn_t<> path;
  if (!usr_get_tempdir(&path)) return;
  verbose("Temp directory: '%s'", path.c_str());
  if (!mount({SLOT_TEMP, false, FS_DEVICE_DIRECTORY, path.c_str(), "/temp", false, TEMP_PRIORITY}))
    error("Temp directory mount failed!");
}

unsigned int std_mount_t::mount_modules(const string& directory) {
  list_t<fs_direntry_t>* listing = fs_read_dir(directory, true, FS_TYPE_NATIVE);
  if (listing == nullptr) return 0;
  // The listing is sorted through a table of pointers to its entries.
  unsigned int count = listing->size();
  auto** order =
      static_cast<fs_direntry_t**>(host_alloc_vector(sizeof(fs_direntry_t*) * (count + 1)));
  if (order == nullptr) {
    delete listing;
    return 0;
  }
  unsigned int n = 0;
  for (fs_direntry_t& entry : *listing) order[n++] = &entry;
  std::qsort(order, n, sizeof *order, compare_names);

  unsigned int mounted = 0;
  for (unsigned int i = 0; i < n; ++i) {
    if (!is_module(*order[i])) continue;
    unsigned int k = module_count_;
    if (SLOT_FIRST_MODULE + k >= SLOT_COUNT) {
      error("Too many modules to mount!");
      break;
    }
    if (mount({SLOT_FIRST_MODULE + k, false, FS_DEVICE_ARCHIVE, order[i]->name.c_str(), "", true,
               static_cast<int>(MODULE_PRIORITY + k)})) {
      ++module_count_;
      ++mounted;
    } else {
      error("Module (%s) mount failed!", order[i]->name.c_str());
    }
  }
  host_free_vector(order);
  delete listing;
  return mounted;
}

void std_mount_t::unmount_temp() {
  if (slots_[SLOT_TEMP] == nullptr) return;
  ufs_unmount(slots_[SLOT_TEMP]);
  slots_[SLOT_TEMP] = nullptr;
}

void std_mount_t::unmount_directories() {
  for (ufs_device_t*& slot : slots_) {
    if (slot == nullptr) continue;
    ufs_unmount(slot);
    slot = nullptr;
  }
}

}  // namespace quarn
