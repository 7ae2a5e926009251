# Images: colour conversions and the pixel streams (plain and SSE2).
target_sources(qxcore PRIVATE
  image/colour_conversions.cpp
  image/colour_streams.cpp
  image/colour_streams_sse2.cpp)
