// The main of every test executable: the library runs on counting hooks, and
// each test is checked for leaks and for memory released through the wrong
// partner hook.
#include <gtest/gtest.h>

#include <cstdio>

#include "qxcore/collections/process_pools.h"
#include "qxcore/core/lifecycle.h"
#include "tests/support/counting_hooks.h"

namespace {

class allocation_check_listener_t : public testing::EmptyTestEventListener {
 public:
  void OnTestStart(const testing::TestInfo&) override {
    start_ = qxtest::allocation_stats();
    start_retained_ = qxtest::retained_blocks();
  }

  // Runs before the result printer (gtest calls OnTestEnd in reverse order of
  // registration), so a failure added here counts for the test that caused it.
  void OnTestEnd(const testing::TestInfo&) override {
    qxtest::allocation_stats_t end = qxtest::allocation_stats();
    std::size_t end_retained = qxtest::retained_blocks();
    long leaked = static_cast<long>(end.live - end_retained) -
                  static_cast<long>(start_.live - start_retained_);
    if (leaked != 0)
      ADD_FAILURE() << "the test left " << leaked << " block(s) allocated through the hooks";
    if (end.wrong_partner != start_.wrong_partner)
      ADD_FAILURE() << (end.wrong_partner - start_.wrong_partner)
                    << " block(s) released through the wrong partner hook";
    if (end.unknown_releases != start_.unknown_releases)
      ADD_FAILURE() << (end.unknown_releases - start_.unknown_releases)
                    << " release(s) of memory the hooks never gave";
  }

 private:
  qxtest::allocation_stats_t start_;
  std::size_t start_retained_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  qxtest::install_counting_hooks();
  // The shared pools keep their blocks until unload by design.
  qxtest::add_retained_counter(
      [] { return static_cast<std::size_t>(quarn::process_pool_blocks()); });
  testing::UnitTest::GetInstance()->listeners().Append(new allocation_check_listener_t);
  int result = RUN_ALL_TESTS();

  quarn::qxcore_shutdown();
  qxtest::allocation_stats_t end = qxtest::allocation_stats();
  std::size_t outstanding = end.live - qxtest::retained_blocks();
  if (outstanding != 0) {
    std::fprintf(stderr, "%zu block(s) still allocated after qxcore_shutdown\n", outstanding);
    result = 1;
  }
  return result;
}
