# Runs one fuzzer for a bounded time from a fresh seed corpus; any finding fails the test.
# Arguments: FUZZER, SEEDER, KIND (scene|dds|mp3), WORK (directory), SECONDS.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
execute_process(COMMAND ${SEEDER} ${KIND} ${WORK}/corpus RESULT_VARIABLE seeded)
if(NOT seeded EQUAL 0)
    message(FATAL_ERROR "seeding the ${KIND} corpus failed")
endif()
execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -max_len=8192 -timeout=10 -rss_limit_mb=2048
            -print_final_stats=1 -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} found a fault (exit ${result}); the input is in ${WORK}/artifacts")
endif()
