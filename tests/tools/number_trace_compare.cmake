# Runs number_trace and checks its output.
#
#   cmake -DTRACE=<program> [-DEMULATOR=<runner>] -DCOUNT=<n> -DOUTPUT=<file>
#         [-DREFERENCE=<program> -DREFERENCE_OUTPUT=<file>] -P number_trace_compare.cmake
#
# Every run must exit 0 and print COUNT lines of each family. Without a
# reference, the calc family run alone must also print the same lines as
# in the full run (each input stands on its own). With a reference (the
# native build of the same program), both outputs must be the same bytes;
# otherwise the first lines that differ are printed.

set(families text range step calc)

foreach(required TRACE COUNT OUTPUT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "number_trace_compare.cmake needs -D${required}=...")
  endif()
endforeach()

# Runs a trace program; `file` receives its output, `content` its text.
function(run_trace label program file content)
  if(NOT EXISTS "${program}")
    message(FATAL_ERROR "${label}: ${program} does not exist; build number_trace there first")
  endif()
  execute_process(
    COMMAND ${ARGN} "${program}" --count ${COUNT}
    OUTPUT_FILE "${file}"
    ERROR_VARIABLE errors
    RESULT_VARIABLE status)
  file(READ "${file}" text)
  if(NOT status EQUAL 0)
    # The output ends with the last input that completed.
    string(STRIP "${text}" lines)
    string(FIND "${lines}" "\n" last_end REVERSE)
    math(EXPR last_start "${last_end} + 1")
    string(SUBSTRING "${lines}" ${last_start} -1 last_line)
    message(FATAL_ERROR "${label}: number_trace exited with ${status}:\n${errors}\n"
                        "The last line before the failure:\n${last_line}")
  endif()
  if(text STREQUAL "")
    message(FATAL_ERROR "${label}: number_trace printed nothing:\n${errors}")
  endif()
  # file(READ) drops carriage returns: a text shorter than the file had some.
  file(SIZE "${file}" size)
  string(LENGTH "${text}" length)
  if(NOT size EQUAL length)
    message(FATAL_ERROR "${label}: the output has carriage returns or other bytes no "
                        "text line has (${size} bytes read as ${length})")
  endif()
  set(${content} "${text}" PARENT_SCOPE)
endfunction()

# Each family has lines 0 to COUNT-1 once, and the last line is ended.
function(check_families label content)
  string(LENGTH "${content}" length)
  math(EXPR last "${length} - 1")
  string(SUBSTRING "${content}" ${last} 1 final)
  if(NOT final STREQUAL "\n")
    message(FATAL_ERROR "${label}: the last line has no line end")
  endif()
  math(EXPR highest "${COUNT} - 1")
  foreach(family IN LISTS families)
    string(REGEX MATCHALL "\n${family} [0-9]+ " lines "\n${content}")
    list(LENGTH lines found)
    if(NOT found EQUAL COUNT)
      message(FATAL_ERROR "${label}: ${found} ${family} lines, expected ${COUNT}")
    endif()
    if(NOT "\n${content}" MATCHES "\n${family} ${highest} ")
      message(FATAL_ERROR "${label}: no ${family} line ${highest}")
    endif()
  endforeach()
endfunction()

# The length of the longest common beginning of two texts, by halving.
function(common_length a b result)
  string(LENGTH "${a}" length_a)
  string(LENGTH "${b}" length_b)
  set(low 0)
  set(high ${length_a})
  if(length_b LESS high)
    set(high ${length_b})
  endif()
  while(low LESS high)
    math(EXPR middle "(${low} + ${high} + 1) / 2")
    string(SUBSTRING "${a}" 0 ${middle} start_a)
    string(SUBSTRING "${b}" 0 ${middle} start_b)
    if(start_a STREQUAL start_b)
      set(low ${middle})
    else()
      math(EXPR high "${middle} - 1")
    endif()
  endwhile()
  set(${result} ${low} PARENT_SCOPE)
endfunction()

# The line of `text` that starts at `line_start`, and the text after it.
function(line_at text line_start line rest)
  string(SUBSTRING "${text}" ${line_start} -1 tail)
  string(FIND "${tail}" "\n" end)
  if(end EQUAL -1)
    if(tail STREQUAL "")
      set(tail "(the end of the output)")
    endif()
    set(${line} "${tail}" PARENT_SCOPE)
    set(${rest} "" PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${tail}" 0 ${end} found)
  math(EXPR after "${end} + 1")
  string(SUBSTRING "${tail}" ${after} -1 remainder)
  if(found STREQUAL "")
    set(found "(an empty line)")
  endif()
  set(${line} "${found}" PARENT_SCOPE)
  set(${rest} "${remainder}" PARENT_SCOPE)
endfunction()

# Reports up to five pairs of differing lines, with their line numbers.
function(report_differences reference target)
  set(report "")
  set(line_number 1)
  foreach(round RANGE 1 5)
    if(reference STREQUAL target)
      break()
    endif()
    common_length("${reference}" "${target}" same)
    string(SUBSTRING "${reference}" 0 ${same} before)
    string(FIND "${before}" "\n" last_end REVERSE)
    math(EXPR line_start "${last_end} + 1")
    string(SUBSTRING "${before}" 0 ${line_start} whole_lines)
    string(REPLACE "\n" "" without_ends "${whole_lines}")
    string(LENGTH "${whole_lines}" with_length)
    string(LENGTH "${without_ends}" without_length)
    math(EXPR line_number "${line_number} + ${with_length} - ${without_length}")
    line_at("${reference}" ${line_start} reference_line reference)
    line_at("${target}" ${line_start} target_line target)
    string(APPEND report "line ${line_number}:\n  native: ${reference_line}\n"
                         "  this build: ${target_line}\n")
    math(EXPR line_number "${line_number} + 1")
  endforeach()
  message(FATAL_ERROR "number_trace output differs from the native build's "
                      "(${OUTPUT} against ${REFERENCE_OUTPUT}):\n${report}")
endfunction()

run_trace("this build" "${TRACE}" "${OUTPUT}" output ${EMULATOR})
check_families("this build" "${output}")

if(DEFINED REFERENCE)
  run_trace("native build" "${REFERENCE}" "${REFERENCE_OUTPUT}" reference)
  check_families("native build" "${reference}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E compare_files "${REFERENCE_OUTPUT}" "${OUTPUT}"
    RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    report_differences("${reference}" "${output}")
  endif()
  return()
endif()

# The calc family alone gives the same lines: no calc input depends on the
# other families, although the calculator's state outlives each control.
execute_process(
  COMMAND ${EMULATOR} "${TRACE}" --family calc --count ${COUNT}
  OUTPUT_VARIABLE alone
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
string(FIND "${output}" "\ncalc 0 " calc_start)
math(EXPR calc_start "${calc_start} + 1")
string(SUBSTRING "${output}" ${calc_start} -1 in_full_run)
if(NOT status EQUAL 0 OR NOT alone STREQUAL in_full_run)
  message(FATAL_ERROR "number_trace --family calc (status ${status}) does not repeat "
                      "the calc lines of the full run:\n${errors}")
endif()
