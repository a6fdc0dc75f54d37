include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS abacor EXPORT abacorTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/abacor
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT abacorTargets
  NAMESPACE abacor::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/abacor)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/abacorConfig.cmake.in
  ${PROJECT_BINARY_DIR}/abacorConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/abacor)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/abacorConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/abacorConfig.cmake
  ${PROJECT_BINARY_DIR}/abacorConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/abacor)
