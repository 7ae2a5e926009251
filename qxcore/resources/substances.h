// The substance table: 256 named material kinds that game data refers to by
// number, loaded from a text file of index and name pairs ("0: default",
// "1: metal" ...), each slot with a pointer the host may hang its own data on.
// The table is counted: the first request loads it, the last release empties it.
//
//   quarn::set_substance_file(quarn::string_alias_t("/def/substances.txt"));
//   quarn::substance_db_request();
//   unsigned int wood = quarn::substance_name2idx(quarn::string_alias_t("wood"));
//   ...
//   quarn::substance_db_release();
#pragma once

#include "qxcore/strings/string.h"

namespace quarn {

constexpr unsigned int SUBSTANCE_COUNT = 256;
constexpr unsigned int SUBSTANCE_NOT_FOUND = 0xFFFFFFFFu;

QX_API void set_substance_file(
    const string& path);  // a virtual path, kept to 255 characters; read at the next load
QX_API void substance_db_request();  // loads the table on the first request
QX_API void substance_db_release();  // empties it on the last release

QX_API const string& substance_idx2name(
    unsigned int index);  // "" for an unused slot or index >= 256
QX_API unsigned int substance_name2idx(
    const string& name);  // first slot of that name, or SUBSTANCE_NOT_FOUND
QX_API void* substance_get_data(unsigned int index);             // null for index >= 256
QX_API void substance_set_data(unsigned int index, void* data);  // ignored for index >= 256
QX_API unsigned int get_used_substance_count();                  // slots with a name

}  // namespace quarn
