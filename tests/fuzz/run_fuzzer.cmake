# Runs one fuzz target for a bounded time on a scratch copy of its seed corpus, so that what it
# adds never reaches the stored corpus. Any finding fails the run and is kept under FINDINGS.
#   cmake -DFUZZER=... -DCORPUS=... -DSCRATCH=... -DFINDINGS=... -DSECONDS=... [-DDICT=...]
#         -P run_fuzzer.cmake
set(options -max_total_time=${SECONDS} -timeout=10 -print_final_stats=1)
if(DICT)
    list(APPEND options -dict=${DICT})
endif()
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}" "${FINDINGS}")
file(COPY "${CORPUS}/" DESTINATION "${SCRATCH}")
get_filename_component(name "${FUZZER}" NAME)
execute_process(
    COMMAND "${FUZZER}" ${options} "-artifact_prefix=${FINDINGS}/${name}-" "${SCRATCH}"
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${name} found a fault (status ${status}); its input is in ${FINDINGS}")
endif()
