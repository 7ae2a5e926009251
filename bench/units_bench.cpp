// The unit model beside what a host would write without it:
// - attribute reads and writes through the descriptors vs direct member access,
// - find_unit by full name among 100 000 named units vs
//   std::unordered_map<std::string, void*>,
// - create + destroy + clean_garbage of 1 000 000 units vs new/delete of
//   objects of the same size with a virtual destructor.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "qxcore/units/unit_declare.h"

namespace {

using namespace quarn;

class mover_t : public unit_t {
  QX_UNIT_CLASS(mover_t, unit_t)
 public:
  float speed = 0;
  int count = 0;
  unit_float3_t position{};
};

QX_UNIT_DEFINE(mover_t, "mover", QX_UNIT_ATTR(speed, UAT_FLOAT, nullptr),
               QX_UNIT_ATTR(count, UAT_S32, nullptr), QX_UNIT_ATTR(position, UAT_FLOAT3, nullptr));

// What a host would keep instead: the same fields behind a virtual destructor.
struct plain_mover_t {
  virtual ~plain_mover_t() = default;
  unsigned char header[40];  // the unit header and name node
  float speed = 0;
  int count = 0;
  unit_float3_t position{};
};
static_assert(sizeof(plain_mover_t) == sizeof(mover_t), "equal objects on both sides");

constexpr int ATTRIBUTE_UNITS = 100000;
constexpr int NAMED_UNITS = 100000;
constexpr int CHURN_UNITS = 1000000;

struct scene_t {
  unit_bank_t bank;
  unit_system_t system{bank};
  std::vector<owner_ptr_t<mover_t>> units;

  explicit scene_t(int count) {
    mover_t::register_class(bank);
    units.reserve(count);
    for (int i = 0; i < count; ++i)
      units.emplace_back(static_cast<mover_t*>(system.create_unit(mover_t::unit_descriptor)));
  }
  ~scene_t() {
    units.clear();
    unit_system_t::clean_garbage();
  }
};

void BM_Attributes_Descriptors(benchmark::State& state) {
  scene_t scene(ATTRIBUTE_UNITS);
  const unit_attribute_t* speed =
      unit_system_t::get_attribute_descriptor(&mover_t::unit_descriptor, "speed");
  const unit_attribute_t* count =
      unit_system_t::get_attribute_descriptor(&mover_t::unit_descriptor, "count");
  for (auto _ : state) {
    for (auto& u : scene.units) {
      float v;
      int n;
      u->get_value(speed, &v);
      u->get_value(count, &n);
      u->set_value(speed, v + 1.0f);
      u->set_value(count, n + 1);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * ATTRIBUTE_UNITS);
}

void BM_Attributes_Direct(benchmark::State& state) {
  scene_t scene(ATTRIBUTE_UNITS);
  for (auto _ : state) {
    for (auto& u : scene.units) {
      mover_t* m = u.get();
      benchmark::DoNotOptimize(m);
      m->speed += 1.0f;
      m->count += 1;
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * ATTRIBUTE_UNITS);
}

std::vector<std::string> unit_names() {
  std::vector<std::string> names;
  char text[64];
  for (int i = 0; i < NAMED_UNITS; ++i) {
    std::snprintf(text, sizeof text, "level%d.room%03d.obj%05d", i % 4, i % 997, i);
    names.push_back(text);
  }
  return names;
}

void BM_FindByName_Units(benchmark::State& state) {
  std::vector<std::string> names = unit_names();
  scene_t scene(NAMED_UNITS);
  for (int i = 0; i < NAMED_UNITS; ++i) scene.units[i]->set_name(names[i].c_str());
  std::size_t found = 0;
  for (auto _ : state)
    for (int i = 0; i < NAMED_UNITS; i += 7)
      found += unit_system_t::find_unit(string_alias_t(names[i].c_str())) != nullptr;
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(state.iterations() * (NAMED_UNITS / 7 + 1));
}

void BM_FindByName_UnorderedMap(benchmark::State& state) {
  std::vector<std::string> names = unit_names();
  std::unordered_map<std::string, void*> map;
  for (int i = 0; i < NAMED_UNITS; ++i) map.emplace(names[i], &names[i]);
  std::size_t found = 0;
  for (auto _ : state)
    for (int i = 0; i < NAMED_UNITS; i += 7) found += map.find(names[i]) != map.end();
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(state.iterations() * (NAMED_UNITS / 7 + 1));
}

void BM_CreateDestroyClean_Units(benchmark::State& state) {
  unit_bank_t bank;
  unit_system_t system(bank);
  std::vector<mover_t*> units(CHURN_UNITS);
  for (auto _ : state) {
    for (auto& u : units) u = static_cast<mover_t*>(system.create_unit(mover_t::unit_descriptor));
    for (auto* u : units) u->destroy_unowned();
    unit_system_t::clean_garbage();
  }
  state.SetItemsProcessed(state.iterations() * CHURN_UNITS);
}

void BM_CreateDestroyClean_NewDelete(benchmark::State& state) {
  std::vector<plain_mover_t*> objects(CHURN_UNITS);
  for (auto _ : state) {
    for (auto& o : objects) o = new plain_mover_t;
    for (auto* o : objects) delete o;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * CHURN_UNITS);
}

}  // namespace

BENCHMARK(BM_Attributes_Descriptors)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Attributes_Direct)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindByName_Units)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindByName_UnorderedMap)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CreateDestroyClean_Units)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateDestroyClean_NewDelete)->Unit(benchmark::kMillisecond);
