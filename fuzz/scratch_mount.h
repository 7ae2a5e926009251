// A scratch host directory for the fuzz targets that read through the
// virtual file system: made once per process, mounted at the root both among
// the dependency files and converted resources (priority 0) and among the
// sources (450), and removed when the process ends.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace qxfuzz {

const std::string& scratch_directory();  // mounted on first use
// Writes `bytes` to the scratch file `name` (a bare name, no directories).
void put_scratch_file(const char* name, const std::uint8_t* bytes, std::size_t size);

}  // namespace qxfuzz
