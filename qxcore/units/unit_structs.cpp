#include "qxcore/units/unit_structs.h"

#include "qxcore/core/assertions.h"

namespace quarn {

namespace {
constexpr const char* STRUCTS_MODULE = "units/unit_structs";
}

bool unit_attr_type_is_unit(unit_attr_type_t t) {
  if (t > UAT_LAST) {
    v_abort_fail("unit_attr_type_is_unit(): Unknown type.", STRUCTS_MODULE, 80, "unknown fn");
    return false;
  }
  return t >= UAT_OWNED_UNIT && t <= UAT_LINKED_UNIT_ARRAY;
}

bool unit_attr_type_is_array(unit_attr_type_t t) {
  if (t > UAT_LAST) {
    v_abort_fail("unit_attr_type_is_array(): Unknown type.", STRUCTS_MODULE, 150, "unknown fn");
    return false;
  }
  return t != UAT_NONE && t % 2 == 0;
}

unit_attr_type_t unit_attr_type_element_type(unit_attr_type_t t) {
  if (t > UAT_LAST) {
    v_abort_fail("unit_attr_type_element_type(): Unknown type.", STRUCTS_MODULE, 220,
                 "unknown fn");
    return UAT_NONE;
  }
  return t % 2 == 0 && t != UAT_NONE ? static_cast<unit_attr_type_t>(t - 1) : t;
}

}  // namespace quarn
