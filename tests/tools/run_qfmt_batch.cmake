# Feeds qfmt --batch a file of lines and compares its output, line endings
# aside, with the expected lines.
execute_process(
  COMMAND ${EMULATOR} ${QFMT} --batch
  INPUT_FILE ${INPUT}
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
string(REPLACE "\r" "" output "${output}")
file(READ ${EXPECTED} expected)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "qfmt --batch exited with ${status}: ${errors}")
endif()
if(NOT output STREQUAL expected)
  message(FATAL_ERROR "qfmt --batch printed:\n${output}\nexpected:\n${expected}")
endif()
