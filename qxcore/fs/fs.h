// The file system's front end: every call takes a path and says which path
// space it addresses. FS_TYPE_VIRTUAL goes to the mount table (paths begin
// with "/"), FS_TYPE_NATIVE to the host file system.
//
//   ufs_mount(FS_DEVICE_DIRECTORY, string_alias_t("game/data"), string::EMPTY, true, 50);
//   file_t* f = fs_open(string_alias_t("/def/world.txt"), FS_TYPE_VIRTUAL);
#pragma once

#include "qxcore/fs/mount_table.h"

namespace quarn {

// New open files the caller deletes, or null.
QX_API file_t* fs_open(const string& path, fs_type_t type);  // a virtual path must begin with "/"
QX_API file_t* fs_create(const string& path, fs_type_t type);
QX_API file_t* fs_append(const string& path, fs_type_t type);

QX_API bool fs_remove(const string& path, fs_type_t type);
QX_API bool fs_mkdir(const string& path, fs_type_t type);
QX_API bool fs_rmdir(const string& path, fs_type_t type);
QX_API bool fs_stat(const string& path, fs_stat_t* out, fs_type_t type);
// A new listing the caller deletes (never null for virtual paths).
QX_API list_t<fs_direntry_t>* fs_read_dir(const string& path, bool full_paths, fs_type_t type);

// Builds a device of `kind` over `root` and mounts it under `prefix`.
QX_API ufs_device_t* ufs_mount(fs_device_type_t kind, const string& root, const string& prefix, bool read_only,
                               int priority);
QX_API void ufs_unmount(ufs_device_t* device);  // delete its files first
QX_API bool ufs_file_exists(const string& path);  // a regular file of the virtual path space

}  // namespace quarn
