# flexarium_write_if_changed(FILE TEXT)
#
# writes TEXT to FILE unless FILE already holds it, so that a file made at
# every build rebuilds what includes it only when it really changes.
function(flexarium_write_if_changed file text)
  set(old "")
  if(EXISTS "${file}")
    file(READ "${file}" old)
  endif()
  if(NOT old STREQUAL text)
    file(WRITE "${file}" "${text}")
  endif()
endfunction()
