# The README's C++ program, built and run by the test suite so that the text
# a reader copies is the text that compiles.
#
# Extract: cmake -DREADME=README.md -DOUT=snippet.cpp -P this-file
#   writes the one ```cpp block of README.md that holds "int main(" to OUT,
#   with a #line directive, so that a compiler error names README.md's line.
# Run: cmake -DPROGRAM=... -DDIR=... -DEXPECT_RC=N -DEXPECT=TEXT -P this-file
#   runs PROGRAM in DIR; it must exit with EXPECT_RC and print EXPECT (on
#   standard output when EXPECT_RC is 0, on standard error otherwise).

cmake_minimum_required(VERSION 3.25)

if(DEFINED README)
  file(READ "${README}" text)
  set(fence_open "```cpp\n")
  set(found "")
  set(offset 0)
  while(TRUE)
    string(FIND "${text}" "${fence_open}" at)
    if(at EQUAL -1)
      break()
    endif()
    string(LENGTH "${fence_open}" open_length)
    math(EXPR body_start "${at} + ${open_length}")
    string(SUBSTRING "${text}" 0 ${body_start} before)
    string(SUBSTRING "${text}" ${body_start} -1 rest)
    string(FIND "${rest}" "\n```" end)
    if(end EQUAL -1)
      message(FATAL_ERROR "${README}: a ```cpp block is never closed")
    endif()
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${rest}" 0 ${end} body)
    # The 1-based line of the block's first line in the whole file.
    string(REGEX MATCHALL "\n" newlines "${before}")
    list(LENGTH newlines lines_before)
    math(EXPR line "${offset} + ${lines_before} + 1")
    string(FIND "${body}" "int main(" has_main)
    if(NOT has_main EQUAL -1)
      if(NOT found STREQUAL "")
        message(FATAL_ERROR "${README}: two ```cpp blocks hold a main "
                            "function (lines ${found} and ${line}); the test "
                            "builds one")
      endif()
      set(found ${line})
      set(program "${body}")
    endif()
    string(REGEX MATCHALL "\n" newlines "${before}${body}")
    list(LENGTH newlines skipped)
    math(EXPR offset "${offset} + ${skipped}")
    string(SUBSTRING "${rest}" ${end} -1 text)
  endwhile()
  if(found STREQUAL "")
    message(FATAL_ERROR "${README}: no ```cpp block holds a main function")
  endif()
  set(content "#line ${found} \"${README}\"\n${program}")
  # Rewritten only when it changes, so that other edits of the README cost
  # no compilation.
  include(${CMAKE_CURRENT_LIST_DIR}/../cmake/write_if_changed.cmake)
  flexarium_write_if_changed("${OUT}" "${content}")
  return()
endif()

execute_process(COMMAND "${PROGRAM}" WORKING_DIRECTORY "${DIR}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL EXPECT_RC)
  message(FATAL_ERROR "expected exit status ${EXPECT_RC}, got ${rc}\n"
                      "standard output:\n${out}standard error:\n${err}")
endif()
if(EXPECT_RC EQUAL 0)
  set(stream "${out}")
  set(stream_name "standard output")
else()
  set(stream "${err}")
  set(stream_name "standard error")
endif()
string(FIND "${stream}" "${EXPECT}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "expected '${EXPECT}' on ${stream_name}, got:\n"
                      "${stream}")
endif()
