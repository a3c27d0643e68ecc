# cmake -DCOMMAND=program|arg|... -DOUTPUT=file -P command-to-file.cmake
string(REPLACE "|" ";" command "${COMMAND}")
execute_process(COMMAND ${command} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "${COMMAND} failed: ${result}")
endif()
