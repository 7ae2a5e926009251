// Copying files: between two open files from their current positions, or
// from one virtual path to another, in 64 KiB blocks.
#pragma once

#include "qxcore/fs/file.h"

namespace quarn {

QX_API bool ufs_copy(file_t* destination, file_t* source);
QX_API bool ufs_copy(const string& destination, const string& source);  // both virtual

}  // namespace quarn
