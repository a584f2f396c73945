# Header-only libraries (CLI11, nlohmann/json) for a cross build: the
# host's copy, through a folder that holds only that library's headers, so
# that the host's other headers cannot shadow the target's C library.
#
#   flexarium_host_headers(TARGET HEADER)
#
# makes the INTERFACE library TARGET whose include folder holds the first
# path component of HEADER (for "nlohmann/json.hpp": nlohmann/) as found
# below /usr/include or /usr/local/include. TARGET is not made when the
# header is not found.
function(flexarium_host_headers target header)
  string(MAKE_C_IDENTIFIER "FLEXARIUM_HOST_${header}" var)
  string(TOUPPER "${var}" var)
  find_path(${var} ${header} PATHS /usr/include /usr/local/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT ${var})
    return()
  endif()
  string(REGEX REPLACE "/.*" "" top "${header}")
  set(only ${CMAKE_CURRENT_BINARY_DIR}/${target}_include)
  file(MAKE_DIRECTORY ${only})
  if(NOT EXISTS ${only}/${top})
    file(CREATE_LINK ${${var}}/${top} ${only}/${top} SYMBOLIC)
  endif()
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${only})
endfunction()

# flexarium_header_library(VAR HEADER PACKAGE IMPORTED [ARGS...])
#
# sets VAR to what a target links for a header-only library: on a native
# build PACKAGE's IMPORTED target, from find_package(PACKAGE ARGS... QUIET)
# (ARGS may hold REQUIRED); on a cross build, or where the package is not
# found, the INTERFACE library VAR of the host's copy of HEADER (above).
# VAR is empty when neither is there.
function(flexarium_header_library var header package imported)
  if(NOT CMAKE_CROSSCOMPILING)
    find_package(${package} ${ARGN} QUIET)
    if(${package}_FOUND)
      set(${var} ${imported} PARENT_SCOPE)
      return()
    endif()
  endif()
  flexarium_host_headers(${var} ${header})
  if(TARGET ${var})
    set(${var} ${var} PARENT_SCOPE)
  else()
    set(${var} "" PARENT_SCOPE)
  endif()
endfunction()
