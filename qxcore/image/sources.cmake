# Images: bitmaps, codecs, colour conversions and the pixel streams (plain and SSE2).
target_sources(qxcore PRIVATE
  image/bitmap.cpp
  image/bitmap_convert.cpp
  image/bitmap_masks.cpp
  image/colour_conversions.cpp
  image/colour_streams.cpp
  image/colour_streams_sse2.cpp
  image/png.cpp
  image/s3tc.cpp
  image/tga.cpp)
