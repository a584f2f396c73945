include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS flexarium EXPORT flexariumTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY include/flexarium DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT flexariumTargets NAMESPACE flexarium::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/flexarium)
write_basic_package_version_file(
  ${CMAKE_CURRENT_BINARY_DIR}/flexariumConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/flexariumConfig.cmake
     "include(\${CMAKE_CURRENT_LIST_DIR}/flexariumTargets.cmake)\n")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/flexariumConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/flexariumConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/flexarium)
