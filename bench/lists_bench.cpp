// Pooled lists vs std::list with the default allocator: 1 000 000 insert and
// remove operations on a working set of 1000 nodes, removal by handle.
#include <benchmark/benchmark.h>

#include <list>
#include <random>
#include <vector>

#include "qxcore/collections/vdatalist.h"
#include "qxcore/collections/vptrlist.h"

namespace {

constexpr int OPERATIONS = 1000000;
constexpr std::size_t WORKING_SET = 1000;

std::vector<unsigned int> make_choices() {
  std::mt19937 rng(3);
  std::vector<unsigned int> choices(OPERATIONS);
  for (auto& c : choices) c = rng();
  return choices;
}

template <class Handle, class Insert, class Remove>
void churn(const std::vector<unsigned int>& choices, std::vector<Handle>& handles, Insert insert, Remove remove) {
  for (unsigned int c : choices) {
    if (handles.size() < WORKING_SET / 2 || (c & 1 && handles.size() < WORKING_SET)) {
      handles.push_back(insert(c));
    } else {
      std::size_t i = (c >> 1) % handles.size();
      remove(handles[i]);
      handles[i] = handles.back();
      handles.pop_back();
    }
  }
}

void BM_ListChurn_Vptrlist(benchmark::State& state) {
  auto choices = make_choices();
  quarn::bmem_manager_t pool;
  for (auto _ : state) {
    quarn::vptrlist_t list;
    list.init_mm(64, &pool);
    std::vector<quarn::vptrlist_node_t*> handles;
    churn(choices, handles, [&](unsigned int c) { return c & 2 ? list.insert(&list) : list.append(&list); },
          [&](quarn::vptrlist_node_t* n) { list.remove_pos(n); });
    benchmark::DoNotOptimize(list.size());
  }
  state.SetItemsProcessed(state.iterations() * OPERATIONS);
}

void BM_ListChurn_Vdatalist(benchmark::State& state) {
  auto choices = make_choices();
  quarn::bmem_manager_t pool;
  for (auto _ : state) {
    quarn::vdatalist_t list;
    list.init_mm(sizeof(int), 64, &pool);
    std::vector<quarn::vdatalist_node_t*> handles;
    churn(choices, handles,
          [&](unsigned int c) {
            auto* n = c & 2 ? list.insert() : list.append();
            *static_cast<int*>(n->data()) = static_cast<int>(c);
            return n;
          },
          [&](quarn::vdatalist_node_t* n) { list.remove_pos(n); });
    benchmark::DoNotOptimize(list.size());
  }
  state.SetItemsProcessed(state.iterations() * OPERATIONS);
}

void BM_ListChurn_StdList(benchmark::State& state) {
  auto choices = make_choices();
  for (auto _ : state) {
    std::list<int> list;
    std::vector<std::list<int>::iterator> handles;
    churn(choices, handles,
          [&](unsigned int c) {
            return c & 2 ? list.insert(list.begin(), static_cast<int>(c)) : list.insert(list.end(), static_cast<int>(c));
          },
          [&](std::list<int>::iterator it) { list.erase(it); });
    benchmark::DoNotOptimize(list.size());
  }
  state.SetItemsProcessed(state.iterations() * OPERATIONS);
}

BENCHMARK(BM_ListChurn_Vptrlist)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListChurn_Vdatalist)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListChurn_StdList)->Unit(benchmark::kMillisecond);

}  // namespace
