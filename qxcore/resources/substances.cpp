#include "qxcore/resources/substances.h"

#include <cstdlib>

#include "qxcore/core/host_memory.h"
#include "qxcore/core/messages.h"
#include "qxcore/fs/fs.h"
#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/string_fixed.h"
#include "qxcore/strings/string_tokenizer.h"

namespace quarn {

namespace {

struct substance_t {
  unsigned int hash = 0;  // of the name; 0 for an empty slot
  string_dyn_t<> name;
  void* data = nullptr;  // the host's, not owned
};

// The one table of the library.
struct substance_db_t {
  unsigned int requests = 0;
  string_fixed_t<256> file;
  substance_t slots[SUBSTANCE_COUNT];
};

substance_db_t& db() {
  static substance_db_t the_db;
  return the_db;
}

// The unit fingerprints' rule: h = h * 31 + byte, modulo 2^32.
unsigned int name_hash(const string& name) {
  unsigned int h = 0;
  for (const char* c = name.c_str(); *c != '\0'; ++c) h = h * 31 + static_cast<unsigned char>(*c);
  return h;
}

// strtol of a 32-bit long, taken as unsigned: "-1" and anything past 255
// miss the table, and an index too large for 32 bits saturates instead of
// wrapping round into it.
unsigned int index_value(const string& token) {
  long value = std::strtol(token.c_str(), nullptr, 0);
  if (value > 0x7FFFFFFFL) value = 0x7FFFFFFFL;
  if (value < -0x7FFFFFFFL - 1) value = -0x7FFFFFFFL - 1;
  return static_cast<unsigned int>(value);
}

void clear_slots() {
  for (substance_t& slot : db().slots) {
    slot.hash = 0;
    slot.name = string_dyn_t<>();  // gives the buffer back
    slot.data = nullptr;
  }
}

void load(const string& path) {
  file_t* file = fs_open(path, FS_TYPE_VIRTUAL);
  if (file == nullptr) {
    error("can't read substance file %s", path.c_str());
    return;
  }
  // On the heap: a substance file may be of any size.
  unsigned int size = file->size();
  char* text = static_cast<char*>(host_alloc_vector(static_cast<std::size_t>(size) + 1));
  if (text == nullptr) {
    error("can't read substance file %s", path.c_str());
    delete file;
    return;
  }
  if (!file->read(text, size)) size = 0;  // what a failed read left is not trusted
  text[size] = '\0';

  string_tokenizer_t tokens(text, ":\r\n\t ");
  string_dyn_t<> index, name;
  while (tokens.get_token(&index) && tokens.get_token(&name)) {
    unsigned int slot = index_value(index);
    if (slot < SUBSTANCE_COUNT) {
      db().slots[slot].name = name;
      db().slots[slot].hash = name_hash(name);
    } else {
      error("invalid index for substance %s in file %s", name.c_str(), path.c_str());
    }
  }
  host_free_vector(text);
  delete file;
}

}  // namespace

void set_substance_file(const string& path) { db().file.copy(path); }

void substance_db_request() {
  if (db().requests++ != 0) return;
  clear_slots();
  load(db().file);
}

void substance_db_release() {
  if (db().requests == 0) return;  // more releases than requests: nothing is loaded
  if (--db().requests == 0) clear_slots();
}

const string& substance_idx2name(unsigned int index) {
  return index < SUBSTANCE_COUNT ? db().slots[index].name : string::EMPTY;
}

unsigned int substance_name2idx(const string& name) {
  unsigned int hash = name_hash(name);
  for (unsigned int i = 0; i < SUBSTANCE_COUNT; ++i)
    if (db().slots[i].hash == hash && db().slots[i].name == name) return i;
  return SUBSTANCE_NOT_FOUND;
}

void* substance_get_data(unsigned int index) {
  return index < SUBSTANCE_COUNT ? db().slots[index].data : nullptr;
}

void substance_set_data(unsigned int index, void* data) {
  if (index < SUBSTANCE_COUNT) db().slots[index].data = data;
}

unsigned int get_used_substance_count() {
  unsigned int used = 0;
  for (const substance_t& slot : db().slots)
    if (!slot.name.empty()) ++used;
  return used;
}

}  // namespace quarn
