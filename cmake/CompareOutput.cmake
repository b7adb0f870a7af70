# Runs a program and compares its standard output with a file of expected
# lines. Variables: PROGRAM, ARGS (a list), EXPECTED, WORKING_DIRECTORY.
execute_process(COMMAND ${PROGRAM} ${ARGS}
                WORKING_DIRECTORY ${WORKING_DIRECTORY}
                OUTPUT_VARIABLE actual
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} exited with ${status}\n${actual}")
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/actual-output.txt "${actual}")
  message(FATAL_ERROR "output differs from ${EXPECTED}:\n--- actual ---\n${actual}")
endif()
