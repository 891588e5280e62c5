# Runs the reference generator into the build tree and compares what it
# wrote, byte for byte, with the committed docs/reference.md.
file(REMOVE ${OUTPUT})
execute_process(
  COMMAND ${EMULATOR} ${GENERATOR} ${INPUTS} ${OUTPUT}
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the reference generator failed (${status}):\n${errors}${output}")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${COMMITTED}
  RESULT_VARIABLE differs)
if(differs)
  find_program(DIFF diff)
  if(DIFF)
    execute_process(COMMAND ${DIFF} -u ${COMMITTED} ${OUTPUT} OUTPUT_VARIABLE difference)
    message(NOTICE "${difference}")
  endif()
  message(FATAL_ERROR
    "${COMMITTED} is not what the generator writes (${OUTPUT}). "
    "Run tools/reference/regenerate.sh and commit the result.")
endif()
