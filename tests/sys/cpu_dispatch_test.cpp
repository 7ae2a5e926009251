// CPU identification against what the kernel reports in /proc/cpuinfo, the
// binding rules and messages of init_cpu_trampoline, and the flag names.
#include "qxcore/sys/cpu_dispatch.h"

#include <cpuid.h>
#include <gtest/gtest.h>
#include <x86intrin.h>

#include <cstring>
#include <fstream>
#include <string>

#include "qxcore/image/colour_streams.h"
#include "qxcore/math/matrix_products.h"
#include "tests/support/capture_sink.h"

namespace {

std::string trimmed(std::string s) {
  s.erase(0, s.find_first_not_of(" \t"));
  s.erase(s.find_last_not_of(" \t") + 1);
  return s;
}

// A field of the first processor in /proc/cpuinfo ("key<tabs>: value").
std::string cpuinfo(const std::string& key) {
  std::ifstream file("/proc/cpuinfo");
  for (std::string line; std::getline(file, line);)
    if (trimmed(line.substr(0, line.find(':'))) == key) return line.substr(line.find(':') + 2);
  return "";
}

// Leaves the library bound as the test main left it.
class CpuDispatch : public testing::Test {
 protected:
  void TearDown() override { quarn::init_cpu_trampoline(quarn::CPU_DETECT, false); }
};

TEST_F(CpuDispatch, IdentifyReportsTheFeaturesTheKernelLists) {
  const std::string flags = " " + cpuinfo("flags") + " ";
  ASSERT_NE(flags, "  ") << "no flags line in /proc/cpuinfo";
  const unsigned int mask = quarn::identify_cpu();
  const std::pair<unsigned int, const char*> bits[] = {{quarn::CPU_FEATURE_FPU, " fpu "},
                                                       {quarn::CPU_FEATURE_MMX, " mmx "},
                                                       {quarn::CPU_FEATURE_CMOV, " cmov "},
                                                       {quarn::CPU_FEATURE_SSE, " sse "},
                                                       {quarn::CPU_FEATURE_SSE2, " sse2 "}};
  for (auto [bit, name] : bits)
    EXPECT_EQ((mask & bit) != 0, flags.find(name) != std::string::npos) << name;
  EXPECT_TRUE(mask & quarn::CPU_FEATURE_CPUID);
  EXPECT_FALSE(mask & quarn::CPU_FEATURE_CXMMX);
  // A hypervisor may rename the processor in the kernel's listing, so the
  // name and vendor are read from the processor itself.
  unsigned int r[12] = {};
  __get_cpuid(0, &r[0], &r[1], &r[3], &r[2]);
  EXPECT_EQ(std::string(quarn::get_cpu_vendor()), std::string((const char*)&r[1], 12));
  for (unsigned int leaf = 0; leaf < 3; ++leaf)
    __get_cpuid(0x80000002 + leaf, &r[4 * leaf], &r[4 * leaf + 1], &r[4 * leaf + 2],
                &r[4 * leaf + 3]);
  EXPECT_EQ(trimmed(quarn::get_cpu_name()),
            trimmed(std::string((const char*)r, strnlen((const char*)r, 48))));
  // Detection turns flush-to-zero on in the calling thread.
  _mm_setcsr(_mm_getcsr() & ~0x8000u);
  quarn::identify_cpu();
  EXPECT_TRUE(_mm_getcsr() & 0x8000u);
}

TEST_F(CpuDispatch, BindingRulesAndMessages) {
  qxtest::capture_sink_t quiet;
  quarn::init_cpu_trampoline(0, false);  // no features: every entry plain
  EXPECT_TRUE(quiet.messages.empty());
  EXPECT_EQ(quarn::rgb_stream_add, quarn::default_rgb_stream_add);
  auto* const plain_copy = quarn::mm_memcpy;
  auto* const plain_product = quarn::mult_matrix_matrix_lo;
  const unsigned int FPU = quarn::CPU_FEATURE_FPU, SSE = quarn::CPU_FEATURE_SSE,
                     SSE2 = quarn::CPU_FEATURE_SSE2;
  // The SSE matrix products need the FPU and SSE bits, the SSE2 routines SSE2
  // itself (SSE alone is not enough); the force bit keeps every entry plain.
  const struct {
    unsigned int flags;
    bool products, sse2;
  } cases[] = {{quarn::CPU_FORCE_PLAIN | FPU | SSE | SSE2, false, false},
               {SSE | SSE2, false, true},
               {FPU | SSE, true, false},
               {FPU | SSE2, false, true},
               {FPU | SSE | SSE2, true, true}};
  for (const auto& c : cases) {
    qxtest::capture_sink_t sink;
    quarn::init_cpu_trampoline(c.flags, true);
    std::vector<std::string> expected = {"[qxcore] Setting up code base to default C++ versions"};
    if (c.flags & quarn::CPU_FORCE_PLAIN)
      expected.push_back("[qxcore] code base forced to default C++ versions");
    EXPECT_EQ(sink.texts(quarn::message_t::TYPE_MESSAGE), expected) << std::hex << c.flags;
    EXPECT_EQ(quarn::mult_matrix_matrix_lo != plain_product, c.products) << std::hex << c.flags;
    EXPECT_EQ(quarn::mm_memcpy != plain_copy, c.sse2) << std::hex << c.flags;
    EXPECT_EQ(quarn::rgb_stream_add != quarn::default_rgb_stream_add, c.sse2) << c.flags;
    EXPECT_EQ(quarn::rgb_stream_scaled_add_noalpha != quarn::default_rgb_stream_scaled_add_noalpha,
              c.sse2)
        << c.flags;
  }
  // A host-given mask still leaves the text queries detecting; the force bit
  // answers the plain identification.
  EXPECT_EQ(std::string(quarn::get_cpu_vendor()), cpuinfo("vendor_id"));
  quarn::init_cpu_trampoline(quarn::CPU_FORCE_PLAIN | SSE2, false);
  EXPECT_EQ(quarn::identify_cpu(), 2u);
  EXPECT_STREQ(quarn::get_cpu_name(), "CPU unoptimized code path");
  EXPECT_STREQ(quarn::get_cpu_vendor(), "CPU unoptimized code path");
}

TEST(CpuFlagNames, NamesInTheirFixedOrder) {
  const std::pair<unsigned int, const char*> table[] = {
      {0x1 | 0x80000000u | 0x40000000u, ""},
      {0x3FF, "fpu cmov mmx mmxext cxmmx 3dnow 3dnowext sse sse2"},
      {0x80 | 0x4 | 0x200, "mmx mmxext sse2"}};
  for (auto [flags, names] : table) EXPECT_STREQ(quarn::get_cpuflag_caps(flags), names) << flags;
}

}  // namespace
