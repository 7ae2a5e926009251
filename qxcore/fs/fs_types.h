// The value types of the file system: which path space a call addresses,
// which kind of device to mount, what went wrong with a file, a file's
// status, one listing entry, and a priority range of mounted devices.
#pragma once

#include "qxcore/strings/string_dyn.h"

namespace quarn {

enum fs_type_t : unsigned int {
  FS_TYPE_VIRTUAL = 0,  // the mount table; paths begin with "/"
  FS_TYPE_NATIVE = 1,   // the host file system; paths are passed unchanged
};

enum fs_device_type_t : unsigned int {
  FS_DEVICE_DIRECTORY = 0,   // read/write host directory
  FS_DEVICE_LISTING = 1,     // host directory that only answers stat and read_dir
  FS_DEVICE_CONVERTING = 2,  // converts out-of-date resources on access
  FS_DEVICE_ARCHIVE = 3,     // read-only ZIP archive of stored members
};

enum fs_error_t : unsigned int {
  FS_ERROR_NONE = 0,         // the last read, write, seek or stat succeeded
  FS_ERROR_UNSUPPORTED = 1,  // this kind of file cannot do that
  FS_ERROR_READ_WRITE = 2,   // a read or write moved fewer bytes than asked
  FS_ERROR_SEEK = 3,         // a seek failed or named an unknown origin
  FS_ERROR_STAT = 4,         // the open file's status could not be queried
};

struct fs_stat_t {
  long time;                  // modification time, seconds since 1970-01-01 UTC
  unsigned int size;          // bytes (0 for archive directories); 0xFFFFFFFF from 4 GiB on
  unsigned int is_directory;  // 1 directory, 0 regular file
};

struct fs_direntry_t {
  string_dyn_t<> name;        // bare name, or the listed path, "/" and the name
  unsigned int is_directory;  // 1 directory, 0 regular file
};

// A device takes part in an operation when lo <= its priority <= hi.
struct fs_priority_range_t {
  int lo;
  int hi;
};

inline constexpr fs_priority_range_t FS_DEFAULT_PRIORITY_RANGE{-10000, 100000};

}  // namespace quarn
