# Turns one scdoc page into roff and its gzip -9n copy (run with cmake -P):
#   -DSCDOC=scdoc -DSOURCE=page.1.scd -DPAGE=page.1
# scdoc opens a paragraph at every blank line, also right after a section
# head and right before the end of an indented block, where roff ignores it
# and mandoc -T lint reports it; those are dropped, so the lint stays quiet
# and a new warning stands out. The page text is unchanged.
execute_process(COMMAND ${SCDOC} INPUT_FILE ${SOURCE} OUTPUT_VARIABLE roff RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "scdoc failed on ${SOURCE}")
endif()
# A paragraph that ends an indented block starts the text after it instead.
string(REPLACE "\n.P\n.RE\n" "\n.RE\n.P\n" roff "${roff}")
set(before "")
while(NOT before STREQUAL roff)
  set(before "${roff}")
  string(REPLACE "\n.P\n.P\n" "\n.P\n" roff "${roff}")
  string(REGEX REPLACE "\n\\.P\n(\\.S[HS] )" "\n\\1" roff "${roff}")
  string(REGEX REPLACE "\n(\\.(TH|SH|SS) [^\n]*)\n\\.P\n" "\n\\1\n" roff "${roff}")
endwhile()
file(WRITE ${PAGE}.tmp "${roff}")
file(RENAME ${PAGE}.tmp ${PAGE})
execute_process(COMMAND ${CMAKE_COMMAND} -DIN=${PAGE} -DOUT=${PAGE}.gz -P ${CMAKE_CURRENT_LIST_DIR}/GzipFile.cmake
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${PAGE}")
endif()
