// The profiler's recorded frames as a trace-event JSON file, the format that
// Perfetto (ui.perfetto.dev) and Chrome's about:tracing open. Each frame of
// the ring, oldest first, lies on one track after the one before it; each
// node the frame entered is one complete event ("ph":"X") of its total time,
// its children laid out inside it in the order they were first entered.
//
//   quarn::profiler_write_trace(string_alias_t("/temp/frames.json"), FS_TYPE_VIRTUAL);
//
// Times are microseconds. Per frame the profiler keeps sums, not single
// entries, so a region entered n times is one event of the summed time,
// with "calls": n among its args; "self_us" is its time outside children.
#pragma once

#include "qxcore/fs/fs_types.h"

namespace quarn {

class file_t;
class string;

// Writes the trace into an open file; false (reported) when the profiler is
// not running or a write fails.
QX_API bool profiler_write_trace(file_t* out);
// Creates `path` and writes the trace into it.
QX_API bool profiler_write_trace(const string& path, fs_type_t type);

}  // namespace quarn
