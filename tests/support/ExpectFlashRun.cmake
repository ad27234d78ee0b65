# expect(what SIMULATE code pattern args...): runs kt7-flash (${FLASH}) with
# KT7_SIMULATE=SIMULATE (devices reattach at once) and checks its exit code
# and its output (standard output, then standard error) against the pattern.
# The run's standard error is left in last_error.
function(expect what simulate code pattern)
  set(ENV{KT7_SIMULATE} "reattach=0;${simulate}")
  execute_process(COMMAND ${FLASH} ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 60)
  if(NOT result EQUAL code)
    message(FATAL_ERROR "${what}: exit code ${result}, expected ${code}\n${out}${err}")
  endif()
  if(NOT "${out}${err}" MATCHES "${pattern}")
    message(FATAL_ERROR "${what}: output does not match '${pattern}':\n${out}${err}")
  endif()
  set(last_error "${err}" PARENT_SCOPE)
endfunction()
