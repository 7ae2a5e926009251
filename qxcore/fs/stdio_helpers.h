// Thin wrappers over the host's standard I/O streams and directory calls,
// and whole-file helpers, for host paths outside the mount table.
#pragma once

#include <cstdio>

#include "qxcore/core/export.h"

namespace quarn {

// The standard calls, results as they give them.
QX_API std::FILE* v_fopen(const char* path, const char* mode);
QX_API int v_fclose(std::FILE* stream);
QX_API unsigned int v_fread(char* buffer, unsigned int size, unsigned int count, std::FILE* stream);
QX_API unsigned int v_fwrite(const char* buffer, unsigned int size, unsigned int count, std::FILE* stream);
QX_API int v_fputs(const char* text, std::FILE* stream);
QX_API unsigned int v_filesize(std::FILE* stream);  // the length of the stream's file

QX_API bool v_file_copy(std::FILE* destination, std::FILE* source);  // the rest of source, 4 KiB at a time
QX_API bool v_file_copy(const char* destination, const char* source);
QX_API bool v_file_append(const char* destination, const char* source);

QX_API bool v_remove(const char* path);
QX_API bool v_mkdir(const char* path);  // one directory; true whether or not it was made
QX_API bool v_rmdir(const char* path);

// Paths for these two must be shorter than 256 characters; longer ones are
// refused with an error.
QX_API bool v_filedir(const char* path);    // every directory on the way to the file
QX_API bool v_removedir(const char* path);  // the file, then its parents that are empty

// The whole file in a new buffer from the host's vector hook (not
// terminated); its length goes to *size. Release it with v_freefile.
QX_API void* v_readfile(const char* path, unsigned int* size);
QX_API void v_freefile(void* buffer);

}  // namespace quarn
