# Build step of one manual page (-DSCDOC -DGZIP -DINPUT -DOUTPUT): scdoc into roff, then a copy
# compressed without name and time stamp, so that two builds of the same page are the same bytes.
execute_process(COMMAND "${SCDOC}" INPUT_FILE "${INPUT}" OUTPUT_FILE "${OUTPUT}.tmp" ERROR_VARIABLE err
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    file(REMOVE "${OUTPUT}.tmp")
    message(FATAL_ERROR "scdoc failed on ${INPUT}: ${err}")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
execute_process(COMMAND "${GZIP}" -9 -n -c "${OUTPUT}" OUTPUT_FILE "${OUTPUT}.gz.tmp" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    file(REMOVE "${OUTPUT}.gz.tmp")
    message(FATAL_ERROR "gzip failed on ${OUTPUT}")
endif()
file(RENAME "${OUTPUT}.gz.tmp" "${OUTPUT}.gz")
