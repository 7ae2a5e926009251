# Resources: dependency files and the out-of-date test, the substance table,
# and the device that converts resources on access.
target_sources(qxcore PRIVATE
  resources/cvfs_device.cpp
  resources/res_deps.cpp
  resources/substances.cpp)
