// Units files side by side with JSON: a generated scene of 100 000 units
// (placements, numbers, flags, text, an enumeration, a float array and a link
// to another unit, all owned by one scene unit) loaded and saved as a units
// file, and the equivalent JSON document parsed with RapidJSON's DOM (and
// simdjson's) and mapped into equal C++ structs with the links resolved, or
// written from them with RapidJSON's writer.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <simdjson.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "qxcore/qxcore.h"

namespace {

using namespace quarn;

class node_t : public unit_t {
  QX_UNIT_CLASS(node_t, unit_t)
 public:
  placement_t place;
  float scale = 1;
  int id = 0;
  bool visible = true;
  string_dyn_t<> tag;
  int kind = 0;
  array_dyn_t<float> weights;
  link_ptr_t<unit_base_t> target;
};

class scene_t : public unit_t {
  QX_UNIT_CLASS(scene_t, unit_t)
 public:
  array_dyn_t<unit_base_t*> nodes;
};

QX_UNIT_ENUM(node_kinds, {0, "mesh"}, {1, "light"}, {2, "camera"}, {3, "sound"});
QX_UNIT_DEFINE(node_t, "node", QX_UNIT_ATTR(place, UAT_PLACEMENT, nullptr),
               QX_UNIT_ATTR(scale, UAT_FLOAT, nullptr), QX_UNIT_ATTR(id, UAT_S32, nullptr),
               QX_UNIT_ATTR(visible, UAT_BOOL, nullptr), QX_UNIT_ATTR(tag, UAT_STRING, nullptr),
               QX_UNIT_ATTR(kind, UAT_ENUM, &node_kinds),
               QX_UNIT_ATTR(weights, UAT_FLOAT_ARRAY, nullptr),
               QX_UNIT_ATTR(target, UAT_LINKED_UNIT, nullptr));
QX_UNIT_DEFINE(scene_t, "scene", QX_UNIT_ATTR(nodes, UAT_OWNED_UNIT_ARRAY, nullptr));

constexpr int UNITS = 100000;
const char* const KINDS[] = {"mesh", "light", "camera", "sound"};

// The JSON side's equal of a node.
struct json_node_t {
  std::string name;
  float pos[3], rot[4], scale;
  int id;
  bool visible;
  std::string tag;
  int kind;
  std::vector<float> weights;
  std::string target_name;
  json_node_t* target = nullptr;
};

struct fixture_t {
  std::string dir;
  unit_bank_t* bank;
  unit_system_t* system;
  ufs_device_t* device;
  std::string units_text, json_text;

  fixture_t() {
    std::string pattern = std::filesystem::exists("/dev/shm") ? "/dev/shm/qxcore_units_bench_XXXXXX"
                                                               : "/tmp/qxcore_units_bench_XXXXXX";
    dir = ::mkdtemp(pattern.data());
    bank = new unit_bank_t;
    node_t::register_class(*bank);
    scene_t::register_class(*bank);
    system = new unit_system_t(*bank);
    device = ufs_mount(FS_DEVICE_DIRECTORY, string_alias_t(dir.c_str()), string::EMPTY, false, 100);
    owner_ptr_t<scene_t> scene = make_scene();
    save_units(scene.get(), "/scene.units");
    units_text = read(dir + "/scene.units");
    std::vector<json_node_t> nodes = nodes_of(scene.get());
    json_text = write_json(nodes);
    std::ofstream(dir + "/scene.json", std::ios::binary) << json_text;
    scene = nullptr;
    unit_system_t::clean_garbage();
  }

  ~fixture_t() {
    unit_system_t::clean_garbage();
    ufs_unmount(device);
    delete system;
    delete bank;
    std::filesystem::remove_all(dir);
  }

  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  owner_ptr_t<scene_t> make_scene() {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coord(-1000, 1000), unit(0, 1);
    owner_ptr_t<scene_t> scene = static_cast<scene_t*>(system->create_unit(scene_t::unit_descriptor));
    scene->set_name("scene");
    std::vector<node_t*> nodes;
    for (int i = 0; i < UNITS; ++i) {
      auto* n = static_cast<node_t*>(system->create_unit(node_t::unit_descriptor));
      char name[16];
      std::snprintf(name, sizeof name, "n%d", i);
      n->set_name(string_alias_t(name));
      n->place.pos = {coord(rng), coord(rng), i % 3 == 0 ? 0.0f : coord(rng)};
      n->place.rot = {unit(rng), unit(rng), unit(rng), unit(rng)};
      n->scale = i % 4 == 0 ? 1.0f : unit(rng) * 4;
      n->id = i;
      n->visible = i % 5 != 0;
      n->tag = string_alias_t(i % 7 == 0 ? "needs a quote" : "prop_tree");
      n->kind = static_cast<int>(rng() % 4);
      for (int k = 0; k < 4; ++k) n->weights.push_back(unit(rng));
      scene->append_value(unit_system_t::get_attribute_descriptor(&scene_t::unit_descriptor,
                                                                  string_alias_t("nodes")),
                          unit_base_t::END, static_cast<unit_base_t*>(n));
      nodes.push_back(n);
    }
    for (int i = 0; i < UNITS; ++i) nodes[i]->target = nodes[rng() % UNITS];
    return scene;
  }

  static std::vector<json_node_t> nodes_of(scene_t* scene) {
    std::vector<json_node_t> out(scene->nodes.size());
    for (unsigned int i = 0; i < scene->nodes.size(); ++i) {
      auto* n = static_cast<node_t*>(scene->nodes.data()[i]);
      json_node_t& j = out[i];
      string_dyn_t<> name;
      n->get_name(&name);
      j.name = name.c_str();
      j.pos[0] = n->place.pos.x, j.pos[1] = n->place.pos.y, j.pos[2] = n->place.pos.z;
      j.rot[0] = n->place.rot.w, j.rot[1] = n->place.rot.x, j.rot[2] = n->place.rot.y, j.rot[3] = n->place.rot.z;
      j.scale = n->scale, j.id = n->id, j.visible = n->visible, j.tag = n->tag.c_str(), j.kind = n->kind;
      j.weights.assign(n->weights.data(), n->weights.data() + n->weights.size());
      n->target->get_name(&name);
      j.target_name = name.c_str();
    }
    return out;
  }

  static std::string write_json(const std::vector<json_node_t>& nodes) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> w(buffer);
    w.StartObject();
    w.Key("units");
    w.StartArray();
    for (const json_node_t& n : nodes) {
      w.StartObject();
      w.Key("type"), w.String("node");
      w.Key("name"), w.String(n.name.c_str(), static_cast<unsigned>(n.name.size()));
      w.Key("pos"), w.StartArray();
      for (float f : n.pos) w.Double(f);
      w.EndArray();
      w.Key("rot"), w.StartArray();
      for (float f : n.rot) w.Double(f);
      w.EndArray();
      w.Key("scale"), w.Double(n.scale);
      w.Key("id"), w.Int(n.id);
      w.Key("visible"), w.Bool(n.visible);
      w.Key("tag"), w.String(n.tag.c_str(), static_cast<unsigned>(n.tag.size()));
      w.Key("kind"), w.String(KINDS[n.kind]);
      w.Key("weights"), w.StartArray();
      for (float f : n.weights) w.Double(f);
      w.EndArray();
      w.Key("target"), w.String(n.target_name.c_str(), static_cast<unsigned>(n.target_name.size()));
      w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
  }

  void save_units(unit_base_t* scene, const char* path) {
    file_t* f = fs_create(string_alias_t(path), FS_TYPE_VIRTUAL);
    unit_save_t saver(*f, UTM_OWNED);
    saver.add(scene);
    if (!saver.save(UPF_TEXT)) std::abort();
    delete f;
  }
};

fixture_t& fixture() {
  static fixture_t f;
  return f;
}

int kind_of(const char* s) {
  for (int k = 0; k < 4; ++k)
    if (std::strcmp(s, KINDS[k]) == 0) return k;
  return 0;
}

void resolve(std::vector<json_node_t>& nodes) {
  std::unordered_map<std::string, json_node_t*> by_name;
  by_name.reserve(nodes.size());
  for (json_node_t& n : nodes) by_name.emplace(n.name, &n);
  for (json_node_t& n : nodes) n.target = by_name[n.target_name];
}

void BM_units_load(benchmark::State& state) {
  fixture_t& f = fixture();
  for (auto _ : state) {
    file_t* in = fs_open(string_alias_t("/scene.units"), FS_TYPE_VIRTUAL);
    unit_load_t loader(*in, *f.system);
    owner_ptr_t<unit_base_t> scene = loader.load_tree_generic();
    if (!scene) std::abort();
    state.PauseTiming();
    scene = nullptr;
    unit_system_t::clean_garbage();
    delete in;
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long>(f.units_text.size()));
}

void BM_rapidjson_load(benchmark::State& state) {
  fixture_t& f = fixture();
  for (auto _ : state) {
    std::string text = fixture_t::read(f.dir + "/scene.json");
    rapidjson::Document doc;
    doc.Parse(text.c_str(), text.size());
    const auto& units = doc["units"];
    std::vector<json_node_t> nodes(units.Size());
    for (rapidjson::SizeType i = 0; i < units.Size(); ++i) {
      const auto& u = units[i];
      json_node_t& n = nodes[i];
      n.name = u["name"].GetString();
      for (int k = 0; k < 3; ++k) n.pos[k] = static_cast<float>(u["pos"][k].GetDouble());
      for (int k = 0; k < 4; ++k) n.rot[k] = static_cast<float>(u["rot"][k].GetDouble());
      n.scale = static_cast<float>(u["scale"].GetDouble());
      n.id = u["id"].GetInt();
      n.visible = u["visible"].GetBool();
      n.tag = u["tag"].GetString();
      n.kind = kind_of(u["kind"].GetString());
      for (const auto& w : u["weights"].GetArray()) n.weights.push_back(static_cast<float>(w.GetDouble()));
      n.target_name = u["target"].GetString();
    }
    resolve(nodes);
    benchmark::DoNotOptimize(nodes.data());
    state.PauseTiming();
    nodes = {};
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long>(f.json_text.size()));
}

void BM_simdjson_load(benchmark::State& state) {
  fixture_t& f = fixture();
  simdjson::dom::parser parser;
  for (auto _ : state) {
    simdjson::padded_string text = simdjson::padded_string::load(f.dir + "/scene.json");
    simdjson::dom::element doc = parser.parse(text);
    simdjson::dom::array units = doc["units"];
    std::vector<json_node_t> nodes(units.size());
    std::size_t i = 0;
    for (simdjson::dom::element u : units) {
      json_node_t& n = nodes[i++];
      n.name = std::string_view(u["name"]);
      int k = 0;
      for (double d : simdjson::dom::array(u["pos"])) n.pos[k++] = static_cast<float>(d);
      k = 0;
      for (double d : simdjson::dom::array(u["rot"])) n.rot[k++] = static_cast<float>(d);
      n.scale = static_cast<float>(double(u["scale"]));
      n.id = static_cast<int>(int64_t(u["id"]));
      n.visible = bool(u["visible"]);
      n.tag = std::string_view(u["tag"]);
      n.kind = kind_of(std::string(std::string_view(u["kind"])).c_str());
      for (double d : simdjson::dom::array(u["weights"])) n.weights.push_back(static_cast<float>(d));
      n.target_name = std::string_view(u["target"]);
    }
    resolve(nodes);
    benchmark::DoNotOptimize(nodes.data());
    state.PauseTiming();
    nodes = {};
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long>(f.json_text.size()));
}

void BM_units_save(benchmark::State& state) {
  fixture_t& f = fixture();
  file_t* in = fs_open(string_alias_t("/scene.units"), FS_TYPE_VIRTUAL);
  unit_load_t loader(*in, *f.system);
  owner_ptr_t<unit_base_t> scene = loader.load_tree_generic();
  delete in;
  for (auto _ : state) f.save_units(scene.get(), "/saved.units");
  state.SetBytesProcessed(state.iterations() * static_cast<long>(f.units_text.size()));
  scene = nullptr;
  unit_system_t::clean_garbage();
}

void BM_rapidjson_save(benchmark::State& state) {
  fixture_t& f = fixture();
  file_t* in = fs_open(string_alias_t("/scene.units"), FS_TYPE_VIRTUAL);
  unit_load_t loader(*in, *f.system);
  owner_ptr_t<unit_base_t> scene = loader.load_tree_generic();
  delete in;
  std::vector<json_node_t> nodes = fixture_t::nodes_of(static_cast<scene_t*>(scene.get()));
  for (auto _ : state) {
    std::string text = fixture_t::write_json(nodes);
    std::FILE* out = std::fopen((f.dir + "/saved.json").c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long>(f.json_text.size()));
  scene = nullptr;
  unit_system_t::clean_garbage();
}

BENCHMARK(BM_units_load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_rapidjson_load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_simdjson_load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_units_save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_rapidjson_save)->Unit(benchmark::kMillisecond);

}  // namespace
