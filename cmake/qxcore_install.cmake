# cmake --install: the headers under include/qxcore/ (so that
# "qxcore/qxcore.h" resolves as in the source tree), the versioned library,
# qxtool, a CMake package with the imported target qxcore::qxcore, and
# qxcore.pc for pkg-config.
include(CMakePackageConfigHelpers)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/qxcore/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qxcore
        FILES_MATCHING PATTERN "*.h")
install(TARGETS qxcore EXPORT qxcoreTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS qxtool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(QXCORE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/qxcore)
install(EXPORT qxcoreTargets NAMESPACE qxcore:: DESTINATION ${QXCORE_CMAKE_DIR})
configure_package_config_file(cmake/qxcoreConfig.cmake.in ${PROJECT_BINARY_DIR}/qxcoreConfig.cmake
                              INSTALL_DESTINATION ${QXCORE_CMAKE_DIR})
# Before 1.0 a minor version may change the interface.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/qxcoreConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/qxcoreConfig.cmake ${PROJECT_BINARY_DIR}/qxcoreConfigVersion.cmake
        DESTINATION ${QXCORE_CMAKE_DIR})

# The .pc file finds the prefix from its own place, so the tree can be
# installed under any --prefix and moved.
set(QXCORE_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH QXCORE_PC_TO_PREFIX /prefix/${QXCORE_PC_DIR} /prefix)
string(REGEX REPLACE "/$" "" QXCORE_PC_TO_PREFIX "${QXCORE_PC_TO_PREFIX}")
configure_file(cmake/qxcore.pc.in ${PROJECT_BINARY_DIR}/qxcore.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/qxcore.pc DESTINATION ${QXCORE_PC_DIR})
