# Every public header is in the one header users include: a header added to
# include/flexarium/ and forgotten there would compile here and fail for
# them. Called as cmake -DDIR=include/flexarium -P this-file.
cmake_minimum_required(VERSION 3.25)
file(READ "${DIR}/flexarium_all.h" umbrella)
file(GLOB headers RELATIVE "${DIR}" "${DIR}/*.h")
set(missing)
foreach(header IN LISTS headers)
  # win32_windows.h is <windows.h> for Flexarium's own Windows sources,
  # which must not meet the Win32-named constants of winapi.h.
  if(header STREQUAL "flexarium_all.h" OR header STREQUAL "win32_windows.h")
    continue()
  endif()
  string(FIND "${umbrella}" "#include \"flexarium/${header}\"" at)
  if(at EQUAL -1)
    list(APPEND missing ${header})
  endif()
endforeach()
if(missing)
  list(JOIN missing ", " missing)
  message(FATAL_ERROR "${DIR}/flexarium_all.h does not include ${missing}")
endif()
