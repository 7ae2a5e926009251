# Math and geometry: vectors, matrices, quaternions, placements, volumes, queries.
target_sources(qxcore PRIVATE
  math/angles.cpp
  math/axial.cpp
  math/batch_transforms.cpp
  math/batch_transforms_sse.cpp
  math/directions.cpp
  math/dispatch_table.cpp
  math/float_ops.cpp
  math/matrix_builders.cpp
  math/matrix_inverse.cpp
  math/matrix_products.cpp
  math/matrix_products_sse.cpp
  math/placement.cpp
  math/quat.cpp
  math/quat_euler.cpp
  math/quat_interpolation.cpp
  math/skinning.cpp
  math/transform_node.cpp
  math/vector_rotation.cpp)
