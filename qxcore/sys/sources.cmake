target_sources(qxcore PRIVATE
  sys/child_process.cpp
  sys/dynamic_library.cpp)
