// Who the processor is: the feature mask from CPUID, the vendor text, a model
// name (the brand string where the processor has one) and the time-stamp
// counter's rate.
#include <cstring>

#include "qxcore/core/messages.h"
#include "qxcore/sys/cpu_dispatch.h"
#include "qxcore/sys/cpu_identity.h"
#include "qxcore/sys/cpu_probe.h"
#include "qxcore/sys/timers.h"

namespace quarn::cpu_identity {

namespace {

constexpr unsigned int ANY = 0xFF;

struct model_name_t {
  const char* vendor;
  unsigned int family;
  unsigned int model_low, model_high;  // ANY..ANY matches every model
  const char* name;
};

// First match wins; family and model are the 4-bit fields of CPUID(1) EAX.
constexpr model_name_t MODEL_NAMES[] = {
    {"GenuineIntel", 3, ANY, ANY, "386"},
    {"GenuineIntel", 4, ANY, ANY, "486"},
    {"GenuineIntel", 5, ANY, ANY, "Pentium"},
    {"GenuineIntel", 6, 1, 1, "Pentium Pro"},
    {"GenuineIntel", 6, 3, 3, "Pentium II (Klamath)"},
    {"GenuineIntel", 6, 5, 5, "Pentium II (Deschutes)"},
    {"GenuineIntel", 6, 6, 6, "Celeron A (Mendocino)"},
    {"GenuineIntel", 6, 7, 7, "Pentium III (Katmai)"},
    {"GenuineIntel", 6, 8, 8, "Pentium III (Coppermine)"},
    {"GenuineIntel", 6, 10, 10, "Pentium III Xeon (Cascades)"},
    {"GenuineIntel", 15, ANY, ANY, "Pentium IV (Willamette)"},
    {"AuthenticAMD", 3, ANY, ANY, "386"},
    {"AuthenticAMD", 4, ANY, ANY, "486"},
    {"AuthenticAMD", 5, 6, 7, "K6"},
    {"AuthenticAMD", 5, 8, 8, "K6-2"},
    {"AuthenticAMD", 5, 9, 9, "K6-3"},
    {"AuthenticAMD", 5, 13, 13, "K6-2+/K6-3+"},
    {"AuthenticAMD", 6, ANY, ANY, "Athlon/Duron"},
    {"CyrixInstead", 5, 2, 2, "Cx6x86"},
    {"CyrixInstead", 5, 4, 4, "CxGXm"},
    {"CyrixInstead", 6, 0, 0, "Cx6x86MX, MII"},
    {"CyrixInstead", 6, 5, 5, "VIA Cyrix III (Joshua)"},
    {"CentaurHauls", 5, 4, 4, "IDT C6 (WinChip)"},
    {"CentaurHauls", 5, 8, 8, "IDT C6-2 (WinChip2)"},
    {"CentaurHauls", 5, 9, 9, "IDT C6-3 (WinChip3)"},
    {"CentaurHauls", 6, 6, 6, "VIA Cyrix III (Samuel)"},
    {"GenuineTMx86", 5, ANY, ANY, "Transmeta Crusoe x86"},
};

constexpr unsigned int NAME_LENGTH = 48;
constexpr const char* FALLBACK_TEXT = "CPU unoptimized code path";

// Process-wide identity, filled once from CPUID; before that the vendor is
// empty and the name "unknown".
struct identity_t {
  char vendor[13];
  char name[NAME_LENGTH + 1];
  bool read;
  bool has_rdtsc;
  unsigned int speed;  // ticks per microsecond, once measured
};
constinit identity_t identity = {"", "unknown", false, false, 0};

void copy_register(char* out, unsigned int value) { std::memcpy(out, &value, 4); }

const char* model_name(const char* vendor, unsigned int family, unsigned int model) {
  for (const model_name_t& entry : MODEL_NAMES) {
    if (std::strcmp(entry.vendor, vendor) != 0 || entry.family != family) continue;
    if (entry.model_low == ANY || (model >= entry.model_low && model <= entry.model_high))
      return entry.name;
  }
  return "unknown";
}

// Vendor, name and the time-stamp counter bit, without messages or side
// effects, so the text queries also work when the host gave the mask itself.
void read_identity() {
  identity.read = true;
  if (!cpu_probe::cpuid_available()) return;
  cpu_probe::cpuid_regs_t leaf0 = cpu_probe::cpuid(0);
  copy_register(identity.vendor, leaf0.ebx);
  copy_register(identity.vendor + 4, leaf0.edx);
  copy_register(identity.vendor + 8, leaf0.ecx);
  identity.vendor[12] = '\0';
  if (leaf0.eax == 0) return;

  cpu_probe::cpuid_regs_t leaf1 = cpu_probe::cpuid(1);
  identity.has_rdtsc = (leaf1.edx & (1u << 4)) != 0;
  const char* table_name =
      model_name(identity.vendor, (leaf1.eax >> 8) & 0xF, (leaf1.eax >> 4) & 0xF);
  std::strncpy(identity.name, table_name, NAME_LENGTH);
  identity.name[NAME_LENGTH] = '\0';

  if (cpu_probe::cpuid(0x80000000).eax >= 0x80000004) {
    for (unsigned int i = 0; i < 3; ++i) {
      cpu_probe::cpuid_regs_t brand = cpu_probe::cpuid(0x80000002 + i);
      copy_register(identity.name + 16 * i, brand.eax);
      copy_register(identity.name + 16 * i + 4, brand.ebx);
      copy_register(identity.name + 16 * i + 8, brand.ecx);
      copy_register(identity.name + 16 * i + 12, brand.edx);
    }
    identity.name[NAME_LENGTH] = '\0';
  }
}

// Counter ticks between two edges of the millisecond clock `window` apart.
unsigned int measure_speed(unsigned long long window_usec) {
  unsigned long long start = tmr_read(), now;
  while ((now = tmr_read()) == start) {
  }
  unsigned long long first = tmr_get_cycles();
  unsigned long long elapsed;
  while ((elapsed = tmr_read() - now) < window_usec) {
  }
  unsigned long long ticks = tmr_get_cycles() - first;
  // Divided by the time that really passed: a thread descheduled inside the
  // wait overshoots the window, and the counter keeps counting meanwhile.
  unsigned long long speed = ticks / elapsed;
  // Nothing may divide by a zero speed later; a slower counter reads as 1.
  return speed == 0 ? 1 : speed > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<unsigned int>(speed);
}

unsigned int stored_speed() { return identity.speed; }

}  // namespace

unsigned int identify_detect() {
  if (!cpu_probe::cpuid_available()) {
    warning("unable to identify cpu");
    return 0;
  }
  read_identity();
  unsigned int mask = CPU_FEATURE_CPUID;
  if (cpu_probe::cpuid(0).eax == 0) {
    warning("cpu features not detected");
    return mask;
  }
  const unsigned int edx = cpu_probe::cpuid(1).edx;
  if (edx & (1u << 0)) mask |= CPU_FEATURE_FPU;
  if ((edx & (1u << 23)) && cpu_probe::mmx_runs()) mask |= CPU_FEATURE_MMX;
  if (edx & (1u << 15)) mask |= CPU_FEATURE_CMOV;
  if ((edx & (1u << 25)) && cpu_probe::sse_runs()) mask |= CPU_FEATURE_SSE;
  if ((edx & (1u << 26)) && cpu_probe::sse2_runs()) mask |= CPU_FEATURE_SSE2;
  // Denormal results are not worth their cost in a renderer.
  if (mask & CPU_FEATURE_SSE) cpu_probe::set_flush_to_zero();

  if (cpu_probe::cpuid(0x80000000).eax > 0x80000000 && (mask & CPU_FEATURE_MMX)) {
    const unsigned int extended = cpu_probe::cpuid(0x80000001).edx;
    if (extended & (1u << 31)) mask |= CPU_FEATURE_3DNOW;
    if (extended & (1u << 30)) mask |= CPU_FEATURE_3DNOWEXT;
    if (extended & (1u << 22)) mask |= CPU_FEATURE_MMXEXT;
  }
  return mask;
}

const char* vendor_detect() {
  if (!identity.read) read_identity();
  return identity.vendor;
}

const char* name_detect() {
  if (!identity.read) read_identity();
  return identity.name;
}

unsigned int speed_detect() {
  if (!identity.read) read_identity();
  if (!identity.has_rdtsc) {
    error("no RDTSC support");
    identity.speed = 1;
  } else {
    identity.speed = measure_speed(100000);
  }
  get_cpu_speed = stored_speed;
  return identity.speed;
}

unsigned int identify_fallback() { return CPU_FEATURE_FPU; }
const char* vendor_fallback() { return FALLBACK_TEXT; }
const char* name_fallback() { return FALLBACK_TEXT; }

unsigned int speed_fallback() {
  identity.speed = measure_speed(1000000);
  get_cpu_speed = stored_speed;
  return identity.speed;
}

}  // namespace quarn::cpu_identity
