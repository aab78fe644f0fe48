# Replays a report a Windows program wrote under Wine with the host's spindra-update, as
# support replays a user's report, and checks that it ends as the program's dialog did.
#   cmake -DREPLAY_PROGRAM=<spindra-update> -DREPORT=<name.jsonl> -P replay_report.cmake
# The test that made the report left beside it what the replay's --json must show of that
# outcome: <name>.expected.json, an object of fields and their values.
string(REGEX REPLACE "\\.jsonl$" ".expected.json" expectation "${REPORT}")
foreach(file IN ITEMS "${REPLAY_PROGRAM}" "${REPORT}" "${expectation}")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "missing: ${file}")
  endif()
endforeach()

execute_process(COMMAND "${REPLAY_PROGRAM}" --replay "${REPORT}" --json
  RESULT_VARIABLE exit_code OUTPUT_VARIABLE shown ERROR_VARIABLE told)
message(STATUS "spindra-update --replay ${REPORT} --json: exit code ${exit_code}\n${shown}${told}")
# 41: the replay made other calls than the report; 42: it ended in another outcome.
if(exit_code EQUAL 41 OR exit_code EQUAL 42 OR NOT exit_code MATCHES "^[0-9]+$")
  message(FATAL_ERROR "the report does not replay as it was recorded (exit code ${exit_code})")
endif()

file(READ "${expectation}" expected)
string(JSON field_count LENGTH "${expected}")
math(EXPR last "${field_count} - 1")
foreach(index RANGE ${last})
  string(JSON field MEMBER "${expected}" ${index})
  string(JSON wanted GET "${expected}" "${field}")
  string(JSON got ERROR_VARIABLE missing GET "${shown}" "${field}")
  if(missing OR NOT got STREQUAL wanted)
    message(FATAL_ERROR "the replay shows ${field} '${got}', the program showed '${wanted}'")
  endif()
endforeach()
