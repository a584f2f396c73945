# Previews a form with --svg and --html, renders every SVG to PNG with
# rsvg-convert and, when Python is there, checks that no picture is blank.
# Called as cmake -DFLEXARIUM=... -DFORM=... -DRSVG=... -DOUT=...
# [-DPYTHON=... -DNOT_BLANK=...] -P this-file.
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${FLEXARIUM}" preview "${FORM}" --dpi 144
                        --client 720x450 --maximize --svg "${OUT}"
                        --html "${OUT}/page.html"
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "flexarium preview failed (${rc}): ${err}")
endif()
file(GLOB pictures "${OUT}/*.svg")
list(LENGTH pictures count)
if(NOT count EQUAL 3)
  message(FATAL_ERROR "expected 3 SVG pictures, found ${count}")
endif()
foreach(svg IN LISTS pictures)
  string(REGEX REPLACE "\\.svg$" ".png" png "${svg}")
  execute_process(COMMAND "${RSVG}" -o "${png}" "${svg}" RESULT_VARIABLE rc
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "rsvg-convert cannot render ${svg}: ${err}")
  endif()
  if(PYTHON)
    execute_process(COMMAND "${PYTHON}" "${NOT_BLANK}" "${png}"
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${png}: ${out}${err}")
    endif()
  endif()
endforeach()
