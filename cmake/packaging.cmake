# install() rules and an exported CMake package, so that another project can
# find_package(creditsim) and link creditsim::creditsim.
include(CMakePackageConfigHelpers)

install(TARGETS creditsim EXPORT creditsimTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES include/creditsim/creditsim.h include/creditsim/creditsim.hpp include/creditsim/shards.hpp
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/creditsim)
install(EXPORT creditsimTargets NAMESPACE creditsim::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/creditsim)
configure_package_config_file(cmake/creditsimConfig.cmake.in
  ${PROJECT_BINARY_DIR}/creditsimConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/creditsim)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/creditsimConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/creditsimConfig.cmake ${PROJECT_BINARY_DIR}/creditsimConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/creditsim)
