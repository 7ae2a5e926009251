// The garbage list's room for every unit in memory (library-internal): a
// unit takes its slot when it is allocated and gives it back when deleted.
#pragma once

namespace quarn {

bool unit_garbage_make_room();  // false when the list cannot grow: the unit is not made
void unit_garbage_forget_one();

}  // namespace quarn
