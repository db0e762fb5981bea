# Runs one example as a user would and checks what it leaves behind.
#
#   cmake -DEXAMPLE_DIR=... -DBIN_DIR=... -DWORK_DIR=... -P run_example.cmake
#
# EXAMPLE_DIR/commands holds one run per line (blank lines and lines starting
# with # are skipped):
#   STATUS DIR PROGRAM ARGUMENTS...
# e.g. "0 . kivo_sim clubs --batch --seed=2026". Each run starts BIN_DIR/PROGRAM
# in WORK_DIR/DIR, WORK_DIR being a fresh copy of the example (without its
# expected/ folder), and must end with exit status STATUS. Afterwards every
# file under EXAMPLE_DIR/expected/ must exist at the same place in WORK_DIR
# with the same text, the rest of each line after "Date and time: " masked.
#
# With the environment variable KIVO_EXAMPLES_UPDATE=1 the files that the
# runs created are stored as the new expected/ folder instead; check them
# before committing.

foreach(required EXAMPLE_DIR BIN_DIR WORK_DIR)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "run_example.cmake: ${required} is not set")
  endif()
endforeach()

function(read_masked file out)
  file(READ ${file} text)
  string(REGEX REPLACE "Date and time: [^\r\n]*" "Date and time: (masked)" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(COPY ${EXAMPLE_DIR}/ DESTINATION ${WORK_DIR} PATTERN expected EXCLUDE)
file(GLOB_RECURSE before RELATIVE ${WORK_DIR} ${WORK_DIR}/*)

file(STRINGS ${EXAMPLE_DIR}/commands lines)
set(runs 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]*(#|$)")
    continue()
  endif()
  separate_arguments(words UNIX_COMMAND "${line}")
  list(LENGTH words count)
  if(count LESS 3)
    message(FATAL_ERROR "commands: expected STATUS DIR PROGRAM ...: ${line}")
  endif()
  list(POP_FRONT words status dir program)
  execute_process(COMMAND ${BIN_DIR}/${program} ${words}
                  WORKING_DIRECTORY ${WORK_DIR}/${dir}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors
                  INPUT_FILE /dev/null)
  if(NOT "${result}" STREQUAL "${status}")
    message(FATAL_ERROR "${line}\nended with ${result}, expected ${status}\n"
                        "standard output:\n${output}\nstandard error:\n${errors}")
  endif()
  math(EXPR runs "${runs} + 1")
endforeach()
if(runs EQUAL 0)
  message(FATAL_ERROR "${EXAMPLE_DIR}/commands names no run")
endif()

if("$ENV{KIVO_EXAMPLES_UPDATE}" STREQUAL "1")
  file(GLOB_RECURSE after RELATIVE ${WORK_DIR} ${WORK_DIR}/*)
  list(REMOVE_ITEM after ${before})
  file(REMOVE_RECURSE ${EXAMPLE_DIR}/expected)
  foreach(created IN LISTS after)
    get_filename_component(folder ${EXAMPLE_DIR}/expected/${created} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    read_masked(${WORK_DIR}/${created} text)
    file(WRITE ${EXAMPLE_DIR}/expected/${created} "${text}")
    message(STATUS "stored expected/${created}")
  endforeach()
  return()
endif()

file(GLOB_RECURSE expected RELATIVE ${EXAMPLE_DIR}/expected ${EXAMPLE_DIR}/expected/*)
if(NOT expected)
  message(FATAL_ERROR "${EXAMPLE_DIR} has no expected/ files "
                      "(run once with KIVO_EXAMPLES_UPDATE=1 and check them)")
endif()
set(failed "")
foreach(name IN LISTS expected)
  if(NOT EXISTS ${WORK_DIR}/${name})
    string(APPEND failed "missing output file ${name}\n")
    continue()
  endif()
  read_masked(${EXAMPLE_DIR}/expected/${name} want)
  read_masked(${WORK_DIR}/${name} got)
  if(NOT want STREQUAL got)
    string(APPEND failed "${name} differs from expected/${name} "
                         "(compare ${WORK_DIR}/${name})\n")
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "${failed}")
endif()
