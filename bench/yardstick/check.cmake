# Fails when the start-up yardstick no longer shows the control window's content: the program's
# control window written out now, and the yardstick's own window read back, must both be the
# description the yardstick was built from.
file(READ "${DESCRIPTION}" expected)
foreach(side PROGRAM YARDSTICK)
  if(side STREQUAL "PROGRAM")
    execute_process(COMMAND "${DESCRIBE}" OUTPUT_VARIABLE shown RESULT_VARIABLE rc)
  else()
    execute_process(COMMAND "${YARDSTICK}" --describe OUTPUT_VARIABLE shown RESULT_VARIABLE rc)
  endif()
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${side}: exited with ${rc}")
  endif()
  if(NOT shown STREQUAL expected)
    file(WRITE "${DESCRIPTION}.${side}" "${shown}")
    execute_process(COMMAND diff -u "${DESCRIPTION}" "${DESCRIPTION}.${side}")
    message(FATAL_ERROR "${side} shows another window than the yardstick's description "
                        "${DESCRIPTION} (above: - described, + shown); rebuild the benchmarks")
  endif()
endforeach()
