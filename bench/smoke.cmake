# Runs one benchmark program briefly and fails when it fails or when any of
# its benchmarks reports an error (Google Benchmark still exits 0 then).
execute_process(COMMAND ${PROGRAM} --benchmark_min_time=0.01 ${ARGS}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} exited with ${status}")
endif()
if(out MATCHES "ERROR OCCURRED" OR err MATCHES "ERROR OCCURRED")
  message(FATAL_ERROR "a benchmark of ${PROGRAM} reported an error")
endif()
if(NOT out MATCHES "[0-9]+ ms|[0-9]+ us|[0-9]+ ns")
  message(FATAL_ERROR "${PROGRAM} measured nothing")
endif()
