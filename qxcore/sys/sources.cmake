# Platform services: plug-in libraries and child processes; checksums and
# random numbers, timers, CPU identification and the dispatch table with the
# block-copy routines.
target_sources(qxcore PRIVATE
  sys/adler32.cpp
  sys/adler32_plain.cpp
  sys/adler32_sse2.cpp
  sys/block_copy.cpp
  sys/block_copy_sse2.cpp
  sys/child_process.cpp
  sys/code_paths.cpp
  sys/cpu_identify.cpp
  sys/cpu_probe.cpp
  sys/crc32.cpp
  sys/crc32_clmul.cpp
  sys/crc32_tables.cpp
  sys/dynamic_library.cpp
  sys/narrow_crc.cpp
  sys/profiler.cpp
  sys/profiler_trace.cpp
  sys/random.cpp
  sys/timers.cpp)
