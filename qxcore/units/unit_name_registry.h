// The process-wide name tree behind unit_name_t: set up with the first unit
// system and released with the last (library-internal).
#pragma once

namespace quarn {

bool unit_name_registry_open();   // false when memory runs out
void unit_name_registry_close();  // names still linked are cut loose, not freed

}  // namespace quarn
