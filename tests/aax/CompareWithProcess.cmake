# Runs the same file with the same settings through `kestrune process` and through the AAX
# module in kestrune-aax-host, and requires identical output files.
#   cmake -DSIGNAL=... -DKESTRUNE=... -DHOST=... -DWORK=... -DCHANNELS=2 -DFRAMES=30000
#         -DBLOCK=512 "-DSETTINGS=Gain 10=6;Auto Eq=Continuous" -P CompareWithProcess.cmake
file(MAKE_DIRECTORY ${WORK})
set(input ${WORK}/input.wav)
execute_process(COMMAND ${SIGNAL} ${input} ${CHANNELS} ${FRAMES} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "test signal: ${status}")
endif()

# CTest hands the list over with escaped separators; make it a plain list again.
string(REPLACE "\\;" ";" settings "${SETTINGS}")
set(set_args)
foreach(setting IN LISTS settings)
  list(APPEND set_args --set ${setting})
endforeach()

execute_process(COMMAND ${KESTRUNE} process ${input} ${WORK}/cli.wav --block ${BLOCK} ${set_args}
  RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kestrune process: ${status} ${errors}")
endif()
execute_process(COMMAND ${HOST} --quiet ${input} ${WORK}/aax.wav --block ${BLOCK} ${set_args}
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kestrune-aax-host: ${status} ${errors}")
endif()
execute_process(COMMAND ${SIGNAL} compare ${WORK}/cli.wav ${WORK}/aax.wav
  RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the AAX module's output differs from kestrune process: ${errors}")
endif()
