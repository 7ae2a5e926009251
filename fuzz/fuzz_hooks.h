// Plain malloc-backed hooks for the fuzz targets, installed once per process.
#pragma once

namespace qxfuzz {

void start_library();

}  // namespace qxfuzz
