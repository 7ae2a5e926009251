target_sources(qxcore PRIVATE
  image/bitmap.cpp
  image/s3tc.cpp
  image/tga.cpp)
