#include "qxcore/sys/profiler_trace.h"

#include <cstdarg>
#include <cstdio>

#include "qxcore/collections/arrays/array_dyn.h"
#include "qxcore/core/messages.h"
#include "qxcore/fs/file.h"
#include "qxcore/fs/fs.h"
#include "qxcore/sys/profiler.h"

namespace quarn {

namespace {

constexpr int TRACE_PID = 1;
constexpr int TRACE_TID = 1;  // the one frame ring

// Buffered output into a file; the first failed write stops all later ones.
class trace_writer_t {
 public:
  explicit trace_writer_t(file_t* out) : out_(out) {}

  void text(const char* s) {
    while (*s != '\0') put(*s++);
  }
  void format(const char* fmt, ...) QX_PRINTF(2, 3) {
    char line[256];  // the longest format here, with every number at its widest, fits
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(line, sizeof line, fmt, args);
    va_end(args);
    if (n > 0) text(line);
  }
  // A JSON string: quotes, backslashes and control bytes escaped.
  void quoted(const char* s) {
    put('"');
    for (; *s != '\0'; ++s) {
      const unsigned char c = static_cast<unsigned char>(*s);
      if (c == '"' || c == '\\') {
        put('\\');
        put(static_cast<char>(c));
      } else if (c < 0x20) {
        format("\\u%04x", c);
      } else {
        put(static_cast<char>(c));
      }
    }
    put('"');
  }
  bool finish() {
    flush();
    return ok_;
  }

 private:
  void put(char c) {
    if (used_ == sizeof buffer_) flush();
    buffer_[used_++] = c;
  }
  void flush() {
    if (ok_ && used_ > 0 && !out_->write(buffer_, used_)) ok_ = false;
    used_ = 0;
  }

  file_t* out_;
  char buffer_[4096];
  unsigned int used_ = 0;
  bool ok_ = true;
};

// The zone a node was filed under: the zone whose chains hold it.
const char* zone_of(const profiler_node_t* node) {
  for (const profiler_zone_t* z = profiler_zones(); z != nullptr; z = z->next)
    for (const profiler_node_t* head = z->first_chain; head != nullptr; head = head->next_chain)
      for (const profiler_node_t* n = head; n != nullptr; n = n->chain_next)
        if (n == node) return z->name;
  return "?";
}

void write_event(trace_writer_t* w, const profiler_node_t* node, unsigned int slot,
                 unsigned long long ts, unsigned long long dur) {
  const unsigned long long total = node->total_time[slot], child = node->child_time[slot];
  w->text(",\n{\"name\":");
  w->quoted(node->name);
  w->text(",\"cat\":");
  w->quoted(zone_of(node));
  w->format(
      ",\"ph\":\"X\",\"ts\":%llu,\"dur\":%llu,\"pid\":%d,\"tid\":%d,"
      "\"args\":{\"calls\":%u,\"self_us\":%llu,\"slot\":%u}}",
      ts, dur, TRACE_PID, TRACE_TID, node->calls[slot], total > child ? total - child : 0, slot);
}

// A node being written: where it ends, where its next child starts, and the
// child written last (children are kept newest first and written oldest
// first).
struct open_node_t {
  const profiler_node_t* node;
  unsigned long long end;
  unsigned long long cursor;
  const profiler_node_t* done;
};

// The tree of one slot from `ts` on, each node followed by its children laid
// out inside it. A duration is cut to the room its parent leaves, so that the
// nesting holds even if rounding ever made children add up to more than their
// parent. A loop, not recursion: deep trees cannot exhaust the stack.
bool write_frame(trace_writer_t* w, const profiler_node_t* root, unsigned int slot,
                 unsigned long long ts) {
  array_dyn_t<open_node_t> open;
  const unsigned long long dur = root->total_time[slot];
  write_event(w, root, slot, ts, dur);
  if (!open.push_back({root, ts + dur, ts, nullptr})) return false;
  while (open.size() > 0) {
    open_node_t& top = open[open.size() - 1];
    if (top.done == top.node->first_child) {
      open.resize(open.size() - 1);
      continue;
    }
    const profiler_node_t* c = top.node->first_child;
    while (c->next_sibling != top.done) c = c->next_sibling;
    top.done = c;
    if (c->calls[slot] == 0) continue;
    const unsigned long long start = top.cursor, room = top.end - start;
    const unsigned long long length = c->total_time[slot] < room ? c->total_time[slot] : room;
    top.cursor += length;
    write_event(w, c, slot, start, length);
    if (!open.push_back({c, start + length, start, nullptr})) return false;
  }
  return true;
}

}  // namespace

bool profiler_write_trace(file_t* out) {
  const profiler_node_t* root = profiler_tree();
  if (root == nullptr) {
    error("[sys] profiler: no trace to write; the profiler is not running");
    return false;
  }
  if (out == nullptr) {
    error("[sys] profiler: no file to write the trace into");
    return false;
  }
  trace_writer_t w(out);
  w.text("{\"displayTimeUnit\":\"ms\",\"traceEvents\":[\n");
  w.format(
      "{\"name\":\"process_name\",\"ph\":\"M\",\"pid\":%d,\"args\":{\"name\":\"qxcore "
      "profiler\"}},\n",
      TRACE_PID);
  w.format(
      "{\"name\":\"thread_name\",\"ph\":\"M\",\"pid\":%d,\"tid\":%d,\"args\":{\"name\":\"frames\"}"
      "}",
      TRACE_PID, TRACE_TID);
  // The root is open in the slot being collected; every other slot it was
  // entered in holds a finished frame.
  const unsigned int collecting = root->frame;
  unsigned long long ts = 0;
  for (unsigned int k = 1; k < PROFILER_FRAMES; ++k) {
    const unsigned int slot = (collecting + k) % PROFILER_FRAMES;
    if (root->calls[slot] == 0) continue;
    if (!write_frame(&w, root, slot, ts)) {
      error("[sys] profiler: out of memory for the trace");
      return false;
    }
    ts += root->total_time[slot];
  }
  w.text("\n]}\n");
  if (!w.finish()) {
    error("[sys] profiler: cannot write the trace to '%s'", out->path().c_str());
    return false;
  }
  return true;
}

bool profiler_write_trace(const string& path, fs_type_t type) {
  file_t* out = fs_create(path, type);
  if (out == nullptr) {
    error("[sys] profiler: cannot create the trace file '%s'", path.c_str());
    return false;
  }
  const bool ok = profiler_write_trace(out);
  delete out;
  return ok;
}

}  // namespace quarn
