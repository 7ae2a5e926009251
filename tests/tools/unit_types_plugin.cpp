// A host's unit types lent to qxtool units through a plug-in: "prop" and
// "level", registered when qxtool asks with the code 'unit'.
#include "qxcore/qxcore.h"

namespace {

using namespace quarn;

class prop_t : public unit_t {
  QX_UNIT_CLASS(prop_t, unit_t)
 public:
  placement_t place;
  float weight = 0;
  link_ptr_t<prop_t> looks_at;
};

class level_t : public unit_t {
  QX_UNIT_CLASS(level_t, unit_t)
 public:
  float gravity = 9.81f;
  array_dyn_t<unit_base_t*> props;  // owned
};

constinit const unit_attr_t<UAT_FLOAT> positive{0.0f, 1000.0f};

}  // namespace

QX_UNIT_DEFINE(prop_t, "prop", QX_UNIT_ATTR(place, UAT_PLACEMENT, nullptr),
               QX_UNIT_ATTR(weight, UAT_FLOAT, &positive),
               QX_UNIT_ATTR(looks_at, UAT_LINKED_UNIT, nullptr));
QX_UNIT_DEFINE(level_t, "level", QX_UNIT_ATTR(gravity, UAT_FLOAT, &positive),
               QX_UNIT_ATTR(props, UAT_OWNED_UNIT_ARRAY, nullptr));

namespace {

class types_ops_t : public dl_ops_t {
 public:
  bool dl_execute(HINSTANCE, HINSTANCE, unsigned int code, void* data) override {
    if (code != 0x756E6974) return false;
    auto* bank = static_cast<unit_bank_t*>(data);
    return prop_t::register_class(*bank) && level_t::register_class(*bank);
  }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) dl_ops_t* unit_types_plugin_get_dl_ops() {
  static types_ops_t ops;
  return &ops;
}
