target_sources(qxcore PRIVATE
  collections/bmem_manager.cpp
  collections/chunk_space.cpp
  collections/free_chunk_index.cpp
  collections/process_pools.cpp
  collections/vdatahash.cpp
  collections/vdatalist.cpp
  collections/vhash_base.cpp
  collections/vhash_index.cpp
  collections/vhash_value_counts.cpp
  collections/vptrhash.cpp
  collections/vptrlist.cpp)
