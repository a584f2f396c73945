# A checked-in compiled resource file is what its script compiles to now.
# Called as cmake -DWINDRES=... -DRC=... -DRES=... -DOUT=... -P this-file.
execute_process(COMMAND "${WINDRES}" -O res -i "${RC}" -o "${OUT}"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${RC} does not compile:\n${err}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUT}" "${RES}"
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "${RES} is not what ${RC} compiles to; compile it "
                      "again: ${WINDRES} -O res -i ${RC} -o ${RES}")
endif()
