// Internal: the detecting and fallback versions of the CPU queries that
// init_cpu_trampoline binds (sys/code_paths.cpp).
#pragma once

namespace quarn::cpu_identity {

unsigned int identify_detect();  // CPUID, with the designed warnings
const char* vendor_detect();
const char* name_detect();
unsigned int speed_detect();  // measures over 100 ms, then rebinds get_cpu_speed

unsigned int identify_fallback();  // 2: an FPU and nothing known beyond it
const char* vendor_fallback();     // "CPU unoptimized code path"
const char* name_fallback();
unsigned int speed_fallback();  // measures over 1 s, then rebinds get_cpu_speed

}  // namespace quarn::cpu_identity
