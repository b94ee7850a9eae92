# Records the title's demonstration with the game itself and installs it as
# "demo.rpl" beside the program. Run as
#   cmake -DTOLVARIN=<program> -DGENERATOR=<make_sample_data> -DSCRIPT=<demo_input.txt>
#         -DOUT_DIR=<program folder> -P record_demo.cmake
# The game runs from a private folder (links to the program and the archives)
# so that neither the settings and progress files of the build folder nor a
# copy of the game running at the same time change the recording.
foreach(var TOLVARIN GENERATOR SCRIPT OUT_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "record_demo.cmake needs -D${var}=...")
  endif()
endforeach()

set(work "${OUT_DIR}/demo-recording")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}")
file(CREATE_LINK "${TOLVARIN}" "${work}/tolvarin" COPY_ON_ERROR)
file(GLOB archives "${OUT_DIR}/vsk*.dat")
foreach(archive ${archives})
  get_filename_component(name "${archive}" NAME)
  file(CREATE_LINK "${archive}" "${work}/${name}" COPY_ON_ERROR)
endforeach()

execute_process(COMMAND "${GENERATOR}" --input-script "${SCRIPT}" "${work}/demo-input.bin"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the demonstration's input script was not written")
endif()
file(SIZE "${work}/demo-input.bin" bytes)
math(EXPR frames "${bytes} / 2")

execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
          "XDG_RUNTIME_DIR=${work}" "ASAN_OPTIONS=detect_leaks=0"
          "${work}/tolvarin" --headless --frames ${frames} --input "${work}/demo-input.bin"
          --record "${work}/demo.rpl"
  OUTPUT_FILE "${work}/output.txt" ERROR_FILE "${work}/errors.txt"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(READ "${work}/errors.txt" errors)
  message(FATAL_ERROR "recording the demonstration failed (${rc}):\n${errors}")
endif()

execute_process(COMMAND "${GENERATOR}" --install-demo "${OUT_DIR}" "${work}/demo.rpl" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the recording cannot be the demonstration; its files are in ${work}")
endif()
file(REMOVE_RECURSE "${work}")
