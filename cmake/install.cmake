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

# pkg-config, for programs built without CMake. The prefix is the one the
# package is installed to (cpack installs to its own prefix), so it is
# written at install time; a zip is unpacked anywhere, so there it is the
# .pc file's own place.
if(WIN32)
  file(RELATIVE_PATH flexarium_pc_up /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig
       /root)
  string(REGEX REPLACE "/$" "" flexarium_pc_up "${flexarium_pc_up}")
  set(FLEXARIUM_PC_PREFIX "\${pcfiledir}/${flexarium_pc_up}")
else()
  set(FLEXARIUM_PC_PREFIX "@pc_prefix@")
endif()
# The library is static: a program links what it links, so the text
# metrics' libraries are required outright, not privately.
set(FLEXARIUM_PC_REQUIRES "")
if(FLEXARIUM_TEXT_METRICS)
  set(FLEXARIUM_PC_REQUIRES "freetype2 fontconfig")
endif()
set(FLEXARIUM_PC_LIBS "")
if(WIN32)
  set(FLEXARIUM_PC_LIBS " -luser32 -lgdi32 -lshell32 -lcomctl32")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/flexarium.pc.in
               ${CMAKE_CURRENT_BINARY_DIR}/flexarium.pc.in @ONLY)
install(CODE "
  set(pc_prefix \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${CMAKE_CURRENT_BINARY_DIR}/flexarium.pc.in\"
                 \"${CMAKE_CURRENT_BINARY_DIR}/pc/flexarium.pc\" @ONLY)
  file(INSTALL \"${CMAKE_CURRENT_BINARY_DIR}/pc/flexarium.pc\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\")
")

# The README, docs/ and the example forms and scenarios: on Windows beside the programs (the zip's top
# folder), elsewhere in the package's documentation folder. The README's
# links into docs/ hold in both.
if(WIN32)
  set(flexarium_docdir .)
else()
  set(flexarium_docdir ${CMAKE_INSTALL_DOCDIR})
endif()
install(FILES README.md DESTINATION ${flexarium_docdir})
install(DIRECTORY docs DESTINATION ${flexarium_docdir})
install(DIRECTORY examples/forms examples/scenarios
        DESTINATION ${flexarium_docdir}/examples)
# The Win32 example dialog: a scenario opens its compiled resources.
install(DIRECTORY examples/win32/dialog_app
        DESTINATION ${flexarium_docdir}/examples/win32)

# cpack: a Debian package on Linux, a zip on Windows, of what is installed.
set(CPACK_PACKAGE_NAME flexarium)
set(CPACK_PACKAGE_VENDOR "Flexarium")
set(CPACK_PACKAGE_CONTACT "Flexarium developers <flexarium@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "TFlexarium: keeps fixed-layout forms looking the same at any size and DPI")
set(CPACK_PACKAGE_DESCRIPTION
    "A C++20 library whose component, TFlexarium, rescales a form's controls
(bounds and fonts) with the form's client size and DPI, with the flexarium
command that checks, formats and previews form files on a simulated desktop.")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
# Release programs without their debugging sections.
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME flexarium-${PROJECT_VERSION}-windows-x64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://localhost/flexarium")
  # The command's libraries (libc, libstdc++, libgcc) as dpkg-shlibdeps
  # finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # A program built against the static library links the text metrics'
  # libraries too (the CMake package and flexarium.pc ask for them).
  if(FLEXARIUM_TEXT_METRICS)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libfreetype-dev, libfontconfig-dev")
  endif()
endif()
include(CPack)
