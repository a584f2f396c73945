# Runs a scenario that must fail: exit status 1 and EXPECTED on standard
# error. Called as cmake -DFLEXARIUM=... -DSCENARIO=... -DEXPECTED=... -P
# this-file.
execute_process(COMMAND "${FLEXARIUM}" run "${SCENARIO}" RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "expected exit status 1, got ${rc}\n${out}${err}")
endif()
string(FIND "${err}" "${EXPECTED}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "expected '${EXPECTED}' on standard error, got:\n${err}")
endif()
