# Runs notation_pdf on input that must be refused and checks that it fails
# loudly and leaves no PDF behind.
#   -DTOOL=<notation_pdf> -DINPUT=<txt> -DOUTPUT=<pdf> -DEXPECT=<regex for stderr>

file(REMOVE ${OUTPUT})
execute_process(
  COMMAND ${TOOL} ${INPUT} ${OUTPUT}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)

if(result EQUAL 0)
  message(FATAL_ERROR "notation_pdf accepted ${INPUT}; stderr:\n${err}")
endif()
if(NOT err MATCHES "${EXPECT}")
  message(FATAL_ERROR "notation_pdf failed (${result}) but stderr does not match '${EXPECT}':\n${err}")
endif()
if(EXISTS ${OUTPUT})
  message(FATAL_ERROR "notation_pdf failed but left ${OUTPUT} behind")
endif()
message(STATUS "refused as expected: ${err}")
