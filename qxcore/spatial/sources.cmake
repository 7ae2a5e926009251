# The spatial hash: a hierarchical hashed grid over the pooled lists, with
# record slots found by crc12 of the object pointer.
target_sources(qxcore PRIVATE
  spatial/spatialhash.cpp)
