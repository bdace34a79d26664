# Exit codes of the generator: 2 for usage errors, 1 when a file cannot be generated or written.
function(expect code)
    execute_process(COMMAND ${GENERATOR} ${ARGN} RESULT_VARIABLE result ERROR_VARIABLE log
                    OUTPUT_QUIET)
    if(NOT result EQUAL code)
        message(FATAL_ERROR "'${ARGN}' exited with ${result}, expected ${code}:\n${log}")
    endif()
endfunction()

file(REMOVE_RECURSE ${SCRATCH})
expect(0 --help)
expect(2 --bogus)
expect(2 --only nothing.bin)
expect(2 --out)
expect(1 --out ${SCRATCH} --only intro --font-dir ${SCRATCH}/no-fonts)
# A file where the output folder should be.
file(WRITE ${SCRATCH}/blocked "")
expect(1 --out ${SCRATCH}/blocked --only logo)
expect(0 --out ${SCRATCH}/ok --only logo.bin)
if(NOT EXISTS ${SCRATCH}/ok/logo.bin OR EXISTS ${SCRATCH}/ok/rings.bin)
    message(FATAL_ERROR "--only logo.bin did not write exactly logo.bin")
endif()
# A disk that fails as the file is flushed: exit 1, the previous file kept, no temporary left.
file(WRITE ${SCRATCH}/failing/logo.bin "previous")
execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_PRELOAD=${FAILING_FSYNC}
                        ASAN_OPTIONS=verify_asan_link_order=0
                        ${GENERATOR} --out ${SCRATCH}/failing --only logo
                RESULT_VARIABLE result ERROR_VARIABLE log OUTPUT_QUIET)
file(SIZE ${SCRATCH}/failing/logo.bin kept)
if(NOT result EQUAL 1 OR NOT kept EQUAL 8 OR EXISTS ${SCRATCH}/failing/logo.bin.tmp
   OR NOT log MATCHES "cannot write [^\n]*logo.bin: No space left on device")
    message(FATAL_ERROR "a failed flush exited with ${result}, logo.bin of ${kept} bytes:\n${log}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
