# Runs one libFuzzer target for a bounded time on a scratch copy of the seed corpus.
# cmake -DFUZZER=<exe> -DCORPUS=<seed dir> -DWORK=<scratch dir> -DSECONDS=<n> -P run_fuzzer.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
file(GLOB seeds ${CORPUS}/*)
file(COPY ${seeds} DESTINATION ${WORK}/corpus)
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -print_final_stats=1
          -artifact_prefix=${WORK}/ ${WORK}/corpus
  RESULT_VARIABLE result
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)
string(REGEX MATCH "stat::number_of_executed_units: *[0-9]+" executed "${out}")
string(REGEX MATCH "stat::peak_rss_mb: *[0-9]+" rss "${out}")
message("${executed}; ${rss}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the fuzzer found a fault (exit ${result}); input kept in ${WORK}:\n${out}")
endif()
