# The installed package: the library, the public headers and a CMake
# config for find_package(flexarium CONFIG), with flexarium::flexarium.
include(CMakePackageConfigHelpers)

install(TARGETS flexarium EXPORT flexariumTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The native desktop's header only where its code is built.
set(flexarium_not_here)
if(NOT WIN32)
  set(flexarium_not_here PATTERN win32_desktop.h EXCLUDE
                         PATTERN win32_windows.h EXCLUDE)
endif()
install(DIRECTORY include/flexarium DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        ${flexarium_not_here})
install(EXPORT flexariumTargets NAMESPACE flexarium::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/flexarium)
write_basic_package_version_file(
  ${CMAKE_CURRENT_BINARY_DIR}/flexariumConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
# The simulated desktop's text metrics link FreeType and fontconfig, which a
# static library leaves to the program that links it.
set(flexarium_config_dependencies "")
if(FLEXARIUM_TEXT_METRICS)
  string(CONCAT flexarium_config_dependencies
         "include(CMakeFindDependencyMacro)\n"
         "find_dependency(Freetype)\n"
         "find_dependency(Fontconfig)\n")
endif()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/flexariumConfig.cmake
     "${flexarium_config_dependencies}"
     "include(\${CMAKE_CURRENT_LIST_DIR}/flexariumTargets.cmake)\n")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/flexariumConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/flexariumConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/flexarium)
