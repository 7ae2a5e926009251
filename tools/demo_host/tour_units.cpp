// Units: a few host classes declared with the helpers, a small scene of owned
// and linked units with arrays, an enumeration and a resource tie, names and
// lookups, a clone, a domain violation reported, and the garbage collected.
#include <cstdio>

#include "qxcore/qxcore.h"
#include "tools/demo_host/tour.h"

namespace demo {

namespace {

using namespace quarn;

class wheel_t : public unit_base_t {  // anonymous: wheels never carry names
  QX_UNIT_CLASS(wheel_t, unit_base_t)
 public:
  float radius = 0.3f;
};

class person_t : public unit_t {
  QX_UNIT_CLASS(person_t, unit_t)
 public:
  string_dyn_t<> full_name;
};

// A sound the host manages; the car refers to it through a resource tie.
class sound_t : public unit_base_t {
  QX_UNIT_CLASS(sound_t, unit_base_t)
 public:
  const char* file = "";
};

class car_t : public unit_t {
  QX_UNIT_CLASS(car_t, unit_t)
 public:
  placement_t where;
  float speed = 0;
  int colour = 0;
  array_dyn_t<unit_string_t> tags;
  array_dyn_t<unit_base_t*> wheels;  // owned
  link_ptr_t<person_t> driver;
  sound_t* engine = nullptr;         // kept by the sound tie
};

constinit const unit_attr_t<UAT_FLOAT> speed_limit{0.0f, 300.0f};
constinit const unit_attr_t<UAT_OWNED_UNIT_ARRAY> only_wheels{&wheel_t::unit_descriptor, true};
QX_UNIT_ENUM(paints, {2, "blue"}, {0, "red"}, {1, "green"});

}  // namespace
}  // namespace demo

QX_UNIT_DEFINE(demo::wheel_t, "wheel", QX_UNIT_ATTR(radius, UAT_FLOAT, nullptr));
QX_UNIT_DEFINE(demo::person_t, "person", QX_UNIT_ATTR(full_name, UAT_STRING, nullptr));
QX_UNIT_DEFINE(demo::sound_t, "sound");
QX_UNIT_DEFINE(demo::car_t, "car", QX_UNIT_ATTR(where, UAT_PLACEMENT, nullptr),
               QX_UNIT_ATTR(speed, UAT_FLOAT, &demo::speed_limit),
               QX_UNIT_ATTR(colour, UAT_ENUM, &demo::paints),
               QX_UNIT_ATTR(tags, UAT_STRING_ARRAY, nullptr),
               QX_UNIT_ATTR(wheels, UAT_OWNED_UNIT_ARRAY, &demo::only_wheels),
               QX_UNIT_ATTR(driver, UAT_LINKED_UNIT, nullptr),
               QX_UNIT_ATTR(engine, UAT_RESOURCE_TIE, nullptr));

namespace demo {

namespace {

// The host's tie: a resource-tie attribute holds a sound_t* the host owns.
class sound_tie_t : public unit_resource_tie_t {
 public:
  static sound_t*& slot(const unit_base_t* unit, const unit_attribute_t* attr) {
    return *reinterpret_cast<sound_t**>(const_cast<char*>(reinterpret_cast<const char*>(unit)) +
                                        attr->offset);
  }
  bool get_resource_name(mstring_t* out, unit_base_t* r) override {
    return out->copy(string_alias_t(static_cast<sound_t*>(r)->file));
  }
  bool check_resource_type(unit_base_t* r) override {
    return r == nullptr || r->get_unit_descriptor() == &sound_t::unit_descriptor;
  }
  void destroy_value(unit_base_t* unit, const unit_attribute_t* attr) override {
    slot(unit, attr) = nullptr;
  }
  bool clone_value(const unit_base_t* s, const unit_attribute_t* attr, unit_base_t* t) override {
    slot(t, attr) = slot(s, attr);
    return true;
  }
  bool get_value(const unit_base_t* unit, const unit_attribute_t* attr, unit_base_t** out) override {
    *out = slot(unit, attr);
    return true;
  }
  bool set_value(unit_base_t* unit, const unit_attribute_t* attr, unit_base_t* r) override {
    slot(unit, attr) = static_cast<sound_t*>(r);
    return true;
  }
};

const char* name_of(const unit_base_t* unit, string_dyn_t<>* text) {
  unit->get_name(text);
  return text->c_str();
}

}  // namespace

void tour_units() {
  section("units");
  unit_resource_tie_t::destroy_instance();  // the default tie only reports
  new sound_tie_t;
  {
    unit_bank_t bank;
    for (auto* register_class : {wheel_t::register_class, person_t::register_class,
                                 sound_t::register_class, car_t::register_class})
      register_class(bank);
    unit_system_t system(bank);
    system.set_default();
    std::printf("bank of %u types:", bank.get_class_count());
    for (unsigned int i = 0; i < bank.get_class_count(); ++i) std::printf(" %s", bank.get_class_name(i));
    std::printf("\n");

    owner_ptr_t<sound_t> engine_sound = static_cast<sound_t*>(system.create_unit("sound"));
    engine_sound->file = "sounds/v8.wav";
    owner_ptr_t<person_t> anna = static_cast<person_t*>(system.create_unit("person"));
    anna->set_name("people.anna");

    // Everything below goes through the descriptors, as a loader or editor does.
    const unit_descriptor_t* car_type = system.find_unit_type("car");
    owner_ptr_t<unit_base_t> car = system.create_unit(*car_type);
    static_cast<car_t*>(car.get())->set_name("garage.car1");
    auto attr = [&](const char* name) { return unit_system_t::get_attribute_descriptor(car_type, name); };
    for (int i = 0; i < 4; ++i)
      car->append_value(attr("wheels"), unit_base_t::END, system.create_unit("wheel"));
    car->set_value(attr("driver"), static_cast<unit_base_t*>(unit_system_t::find_unit("people.anna")));
    car->set_value(attr("engine"), static_cast<unit_base_t*>(engine_sound.get()));
    car->set_value(attr("speed"), 120.0f);
    int blue = 0;
    unit_base_t::lookup_enum_value(&paints, "blue", &blue);
    car->set_value(attr("colour"), blue);
    car->append_value(attr("tags"), unit_base_t::END, "fast");
    car->append_value(attr("tags"), unit_base_t::END, "rental");

    string_dyn_t<> text, other, third;
    unsigned int wheels = 0;
    car->get_size(attr("wheels"), &wheels);
    unit_base_t* first_wheel = nullptr;
    car->get_value(attr("wheels"), 0u, &first_wheel);
    unit_base_t* driver = nullptr;
    car->get_value(attr("driver"), &driver);
    std::printf("%s: %u owned wheels (the first is %s), driven by %s\n", name_of(car, &text), wheels,
                name_of(first_wheel, &other), name_of(driver, &third));
    car->get_value(attr("engine"), &driver);
    unit_resource_tie_t::get_instance()->get_resource_name(&other, driver);
    std::printf("colour %s, engine sound \"%s\" through the resource tie\n",
                unit_base_t::lookup_enum_symbol(&paints, static_cast<car_t*>(car.get())->colour)->c_str(),
                other.c_str());

    float wanted = 400.0f;
    if (car->check_value(attr("speed"), wanted) == UCR_ABOVE_MAX)
      error("[unit] The requested value '%g' of the attribute '%s' of unit '%s' (of type '%s') is "
            "out of the attribute domain.",
            wanted, "speed", name_of(car, &text), car_type->class_name->c_str());

    owner_ptr_t<unit_base_t> copy = car->clone();
    unit_base_t* copied_wheel = nullptr;
    copy->get_value(attr("wheels"), 0u, &copied_wheel);
    std::printf("clone %s: its own wheels (%s), the same driver (now %u references)\n",
                name_of(copy, &text), copied_wheel != first_wheel ? "new objects" : "shared",
                anna->get_ref_count());
    std::printf("find_unit(\"garage.car1\") %s; find_unit(\"garage\") %s\n",
                unit_system_t::find_unit("garage.car1") == car.get() ? "finds the car" : "misses",
                unit_system_t::find_unit("garage") == nullptr ? "finds nothing (only a prefix)" : "finds a unit");

    car = nullptr;  // destroys the car and, through ownership, its wheels
    copy = nullptr;
    std::printf("after releasing both cars: find_unit(\"garage.car1\") %s, %u units queued\n",
                unit_system_t::find_unit("garage.car1") == nullptr ? "finds nothing" : "still finds it",
                unit_system_t::get_garbage_count());
    unit_system_t::clean_garbage();
    std::printf("clean_garbage: %u queued; anna keeps %u reference\n", unit_system_t::get_garbage_count(),
                anna->get_ref_count());
    anna = nullptr;
    engine_sound = nullptr;
    unit_system_t::clean_garbage();
  }
  unit_resource_tie_t::destroy_instance();
  new unit_resource_tie_t;  // the library's default again
}

}  // namespace demo
