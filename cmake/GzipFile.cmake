# gzip -9n of one file into another (run with cmake -P): -DIN=file -DOUT=file.gz.
# -n: no name or time in the header, so the same file gives the same bytes.
execute_process(COMMAND gzip -9n -c ${IN} OUTPUT_FILE ${OUT}.tmp RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${IN}")
endif()
file(RENAME ${OUT}.tmp ${OUT})
