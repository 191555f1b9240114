# Golden replays (tests/replays/): short recorded runs of the real game, each
# played back headless on the build's Data.lib and checked against its own
# recording (a frame hash every 60 frames, the final score); and round trips
# of a fresh recording, headless and from the desktop window under Xvfb.
if(BRETTSPALT_CONTENT AND TARGET brettspalt AND TARGET content)
  file(GLOB _golden_scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/replays/*.script)
  foreach(script ${_golden_scripts})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME replay_golden_${name}
             COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/replays/golden.sh $<TARGET_FILE:brettspalt>
                     ${PROJECT_BINARY_DIR}/data ${script} ${PROJECT_SOURCE_DIR}/content/config)
    set_tests_properties(replay_golden_${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120
                         LABELS replay)
  endforeach()

  foreach(host headless desktop)
    add_test(NAME replay_round_trip_${host}
             COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/replays/round_trip.sh $<TARGET_FILE:brettspalt>
                     ${PROJECT_BINARY_DIR}/data ${host})
    set_tests_properties(replay_round_trip_${host} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120
                         LABELS replay)
  endforeach()
  # xvfb-run -a may pick the display of another X server test started at once.
  set_tests_properties(replay_round_trip_desktop PROPERTIES RESOURCE_LOCK xvfb)
endif()
