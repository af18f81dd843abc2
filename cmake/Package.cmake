# `cmake --install build --prefix P`: the C++ interface (adaptive_api, over the
# core archive adaptive_core with the token library, and its headers) and a config package, so that a
# consumer's find_package(adaptive CONFIG REQUIRED) gives adaptive::adaptive.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Components: dev (this) and plugin (below), the Debian packages'.
install(TARGETS adaptive_api adaptive_families adaptive_plugin_layer adaptive_core EXPORT adaptiveTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/api/include/adaptive ${CMAKE_CURRENT_BINARY_DIR}/include/adaptive
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)

set(ADAPTIVE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/adaptive)
install(EXPORT adaptiveTargets NAMESPACE adaptive:: DESTINATION ${ADAPTIVE_CMAKE_DIR} COMPONENT dev)
set(ADAPTIVE_PLUGIN_DIR ${CMAKE_INSTALL_BINDIR})
if(NOT WIN32)
  set(ADAPTIVE_PLUGIN_DIR ${ADAPTIVE_PLUGIN_INSTALL_DIR})
endif()
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/adaptiveConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/adaptiveConfig.cmake INSTALL_DESTINATION ${ADAPTIVE_CMAKE_DIR}
  PATH_VARS ADAPTIVE_PLUGIN_DIR)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/adaptiveConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/adaptiveConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/adaptiveConfigVersion.cmake
  DESTINATION ${ADAPTIVE_CMAKE_DIR} COMPONENT dev)

# The plug-in itself, for hosts that load it at run time (adaptive::Library::load).
install(TARGETS adaptive LIBRARY DESTINATION ${ADAPTIVE_PLUGIN_INSTALL_DIR} COMPONENT plugin
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT plugin)
