# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DSCDOC=scdoc -DIN=page.scd -DOUT=page -P scdoc.cmake
# scdoc reads standard input and writes standard output.
execute_process(COMMAND ${SCDOC} INPUT_FILE ${IN} OUTPUT_FILE ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "scdoc failed on ${IN}")
endif()
