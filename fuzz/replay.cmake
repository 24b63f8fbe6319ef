# Runs a fuzz target once over every file of its seed corpus (no mutation, no new files).
file(GLOB inputs LIST_DIRECTORIES false ${CORPUS}/*)
if(NOT inputs)
  message(FATAL_ERROR "no seeds in ${CORPUS}")
endif()
execute_process(COMMAND ${FUZZER} -runs=1 ${inputs} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed on a seed (exit ${rc})")
endif()
