# SPDX-License-Identifier: MIT
# Runs tav-bench --quick and checks that every section printed a row with a figure and that the JSON was written.
file(REMOVE ${JSON})
execute_process(COMMAND ${BENCH} --quick --json ${JSON} RESULT_VARIABLE result OUTPUT_VARIABLE output
                ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "tav-bench failed (${result}):\n${output}\n${errors}")
endif()
foreach(row "frame      Opening" "frame      Cube grid 2" "frame part fade quad" "fountain   ratio, three textures mixed"
            "load       initShow \\+ loadShow, archive" "load       initShow \\+ loadShow, loose files"
            "mixing     ratio" "audio      position after sound: PulseAudio, SDL pulseaudio" "capture    render only, 60 fps"
            "capture    PNG frames \\+ WAV, 60 fps" "capture    MP4, 60 fps"
            "fountain   three textures / one" "in order   Opening" "memory     peak RSS, whole headless show")
  if(NOT output MATCHES "${row} +-?[0-9]+\\.[0-9]+")
    message(FATAL_ERROR "no figure for '${row}' in:\n${output}")
  endif()
endforeach()
foreach(failure "FAILED" "could not prepare" "DID NOT RUN" "failed, or mixed silence" "29 of 29 pictures loaded")
  if(failure STREQUAL "29 of 29 pictures loaded")
    if(NOT output MATCHES "${failure}")
      message(FATAL_ERROR "a load missed pictures:\n${output}")
    endif()
  elseif(output MATCHES "${failure}")
    message(FATAL_ERROR "'${failure}' in:\n${output}")
  endif()
endforeach()
file(READ ${JSON} json)
if(NOT json MATCHES "\"section\": \"memory\"")
  message(FATAL_ERROR "bench.json lacks the results:\n${json}")
endif()
