# Previews a form with --svg and --html, renders every SVG to PNG with
# rsvg-convert and checks that no picture is blank: with ImageMagick's
# identify (more than one colour) or, without it, with Python.
# Called as cmake -DFLEXARIUM=... -DFORM=... -DRSVG=... -DOUT=...
# [-DIDENTIFY=...] [-DPYTHON=... -DNOT_BLANK=...] -P this-file.
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
  if(IDENTIFY)
    execute_process(COMMAND "${IDENTIFY}" -format "%k" "${png}"
                    RESULT_VARIABLE rc OUTPUT_VARIABLE colours
                    ERROR_VARIABLE err)
    if(NOT rc EQUAL 0 OR NOT colours GREATER 1)
      message(FATAL_ERROR "${png} is blank (${colours} colours) ${err}")
    endif()
  elseif(PYTHON)
    execute_process(COMMAND "${PYTHON}" "${NOT_BLANK}" "${png}"
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${png}: ${out}${err}")
    endif()
  endif()
endforeach()
