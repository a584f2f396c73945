# Writes the header that `flexarium --version` prints: the project's
# version and, in a git checkout, the commit the build is made from. Run at
# every build, it rewrites the header only when the commit changed, so that
# a new commit does not rebuild more than the file that prints it.
#
#   cmake -DSOURCE_DIR=... -DVERSION=... -DOUT=... -P version_header.cmake
set(commit "")
find_program(git_program git)
if(git_program AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${git_program}" rev-parse --short=12 HEAD
                  WORKING_DIRECTORY "${SOURCE_DIR}"
                  OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE rc ERROR_QUIET)
  if(NOT rc EQUAL 0)
    set(commit "")
  endif()
endif()
set(text "// Made by cmake/version_header.cmake.\n#pragma once\n"
         "#define FLEXARIUM_VERSION \"${VERSION}\"\n"
         "#define FLEXARIUM_COMMIT \"${commit}\"\n")
string(CONCAT text ${text})
include(${CMAKE_CURRENT_LIST_DIR}/write_if_changed.cmake)
flexarium_write_if_changed("${OUT}" "${text}")
