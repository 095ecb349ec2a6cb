# Runs veskal on one recorded session and compares, byte for byte, the console
# output, the diagnostics, the report file and the exit status with the
# expected ones. A session folder holds:
#   answers            standard input of the run (the report file is report.txt)
#   arguments          optional: command-line arguments, one per line
#   prior-report       optional: contents of report.txt before the run
#   expected-console   standard output
#   expected-stderr    optional: standard error (empty when missing)
#   expected-report    optional: report.txt after the run (absent when missing)
#   expected-status    exit status
#   note               one line: what the session pins (the behaviour or the fault)
# -DVESKAL=... [-DEMULATOR=...] -DSESSION=<folder> -DWORK=<scratch folder>
if(NOT EXISTS "${SESSION}/note")
  message(SEND_ERROR "${SESSION} has no note saying what it pins")
endif()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
if(EXISTS "${SESSION}/prior-report")
  configure_file("${SESSION}/prior-report" "${WORK}/report.txt" COPYONLY)
endif()
set(arguments "")
if(EXISTS "${SESSION}/arguments")
  file(STRINGS "${SESSION}/arguments" arguments)
endif()
execute_process(
  COMMAND ${EMULATOR} "${VESKAL}" ${arguments}
  WORKING_DIRECTORY "${WORK}"
  INPUT_FILE "${SESSION}/answers"
  OUTPUT_FILE "${WORK}/console"
  ERROR_FILE "${WORK}/stderr"
  RESULT_VARIABLE status)

set(failed FALSE)
function(compare actual expected what)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${actual}" "${expected}"
                  RESULT_VARIABLE different)
  if(different)
    file(STRINGS "${actual}" actual_lines)
    file(STRINGS "${expected}" expected_lines)
    list(LENGTH expected_lines n)
    set(i 0)
    foreach(line IN LISTS expected_lines)
      list(GET actual_lines ${i} got)
      if(NOT "${got}" STREQUAL "${line}")
        math(EXPR number "${i} + 1")
        message(SEND_ERROR "${what} differs at line ${number}:\n  expected: ${line}\n  actual:   ${got}")
        set(failed TRUE PARENT_SCOPE)
        return()
      endif()
      math(EXPR i "${i} + 1")
    endforeach()
    message(SEND_ERROR "${what} differs (line ends or length); see ${actual}")
    set(failed TRUE PARENT_SCOPE)
  endif()
endfunction()

compare("${WORK}/console" "${SESSION}/expected-console" "console output")
if(EXISTS "${SESSION}/expected-stderr")
  compare("${WORK}/stderr" "${SESSION}/expected-stderr" "standard error")
else()
  file(SIZE "${WORK}/stderr" size)
  if(NOT size EQUAL 0)
    file(READ "${WORK}/stderr" text)
    message(SEND_ERROR "unexpected diagnostics: ${text}")
  endif()
endif()
if(EXISTS "${SESSION}/expected-report")
  if(NOT EXISTS "${WORK}/report.txt")
    message(SEND_ERROR "no report file written")
  else()
    compare("${WORK}/report.txt" "${SESSION}/expected-report" "report file")
  endif()
elseif(EXISTS "${WORK}/report.txt" AND NOT EXISTS "${SESSION}/prior-report")
  file(SIZE "${WORK}/report.txt" size)
  if(NOT size EQUAL 0)
    message(SEND_ERROR "report file written although none was expected")
  endif()
endif()
file(READ "${SESSION}/expected-status" expected_status)
string(STRIP "${expected_status}" expected_status)
if(NOT status STREQUAL expected_status)
  message(SEND_ERROR "exit status ${status}, expected ${expected_status}")
endif()
