// std_mount_t: the virtual path space of a game folder, set up the way the
// engine's programs expect it. Sources in "base" and "base_test", converted
// resources in "rsrc" and in archives ("base.qpk", "patch.qpk", modules), the
// user's overrides in "user", dependency files in ".dep" (host paths relative
// to the current directory), the user's home under "/home" and the temporary
// directory under "/temp" -- each at the priority that makes the overlay work.
//
//   quarn::std_mount_t mounts;
//   mounts.mount_directories(quarn::STD_MOUNT_CONVERTING);
//   mounts.mount_modules(quarn::string_alias_t("modules"));
//   mounts.mount_home(quarn::string_alias_t("mygame"));
//   mounts.mount_temp();
//   ...
//   mounts.unmount_directories();  // before qxcore_shutdown; files closed first
#pragma once

#include "qxcore/fs/ufs_device.h"

namespace quarn {

// What mount_directories mounts.
enum std_mount_mode_t : unsigned int {
  STD_MOUNT_BASE_ARCHIVE = 0,   // "base.qpk"
  STD_MOUNT_PATCH_ARCHIVE = 1,  // "patch.qpk"
  STD_MOUNT_CONVERTING = 4,     // (5 does the same) sources listed, resources converted on access
  STD_MOUNT_WRITABLE_RESOURCES = 6,  // sources readable, new files land in "rsrc" and ".dep"
};

// One mount: which slot remembers the device, whether the root directory is
// made first, and the arguments of ufs_mount.
struct std_mount_record_t {
  unsigned int slot;
  bool make_directory_first;
  fs_device_type_t kind;
  const char* root;  // a host path
  const char* prefix;
  bool read_only;
  int priority;
};

class QX_API std_mount_t {
 public:
  // Slot numbers.
  static constexpr unsigned int SLOT_BASE = 0;
  static constexpr unsigned int SLOT_USER = 1;
  static constexpr unsigned int SLOT_DEPENDENCIES = 2;
  static constexpr unsigned int SLOT_RSRC = 3;
  static constexpr unsigned int SLOT_ARCHIVE = 4;  // base or patch archive
  static constexpr unsigned int SLOT_CONVERTING = 5;
  static constexpr unsigned int SLOT_TEMP = 6;
  static constexpr unsigned int SLOT_HOME = 7;
  static constexpr unsigned int SLOT_BASE_TEST = 8;
  static constexpr unsigned int SLOT_FIRST_MODULE = 9;  // modules take 9 ... 19
  static constexpr unsigned int SLOT_COUNT = 20;

  // The predefined records (all with the empty prefix).
  static const std_mount_record_t RSRC_WRITABLE;   // slot 3, "rsrc", 150
  static const std_mount_record_t RSRC_READ_ONLY;  // slot 3, "rsrc", 150
  static const std_mount_record_t BASE_ARCHIVE;    // slot 4, "base.qpk", 50
  static const std_mount_record_t PATCH_ARCHIVE;   // slot 4, "patch.qpk", 60
  static const std_mount_record_t BASE_DIRECTORY;  // slot 0, "base", 450
  static const std_mount_record_t BASE_LISTING;    // slot 0, "base", 450, stat and listings only
  static const std_mount_record_t BASE_TEST_DIRECTORY;  // slot 8, "base_test", 451
  static const std_mount_record_t
      BASE_TEST_LISTING;                 // slot 8, "base_test", 451, stat and listings only
  static const std_mount_record_t USER;  // slot 1, "user", 350
  static const std_mount_record_t DEPENDENCIES_WRITABLE;   // slot 2, ".dep", 0
  static const std_mount_record_t DEPENDENCIES_READ_ONLY;  // slot 2, ".dep", 0
  static const std_mount_record_t CONVERTING;              // slot 5, 200

  std_mount_t();   // every slot empty
  ~std_mount_t();  // leaves every mount in place
  std_mount_t(const std_mount_t&) = delete;
  std_mount_t& operator=(const std_mount_t&) = delete;

  // Mounts one record into its slot; a device already there stays mounted
  // and is forgotten. True when a device was mounted.
  bool mount(const std_mount_record_t& record);
  void mount_directories(std_mount_mode_t mode);  // the mode's records; silent
  void mount_home(const string& name);  // home + "/" + name under "/home"; nothing with "-homeless"
  void mount_temp();                    // the temporary directory under "/temp"
  // Mounts every "*.qpk" file of a host directory, in case-insensitive name
  // order at priorities 60, 61, ...; answers how many this call mounted.
  unsigned int mount_modules(const string& directory);
  void unmount_temp();
  void unmount_directories();  // every slot, home and temp included

  ufs_device_t* device(unsigned int slot) const {
    return slot < SLOT_COUNT ? slots_[slot] : nullptr;
  }
  unsigned int module_count() const { return module_count_; }  // modules mounted so far; only grows

 private:
  ufs_device_t* slots_[SLOT_COUNT];
  unsigned int module_count_;
};

}  // namespace quarn
