# End-to-end runs of the real game, headless, on our own generated Data.lib:
# input scripts drive it through the menus into a level and saw a piece, and a
# small checker reads the screenshots (tests/e2e/run.sh says what each case
# proves). The frame checker is built with the game and the content, so an
# ordinary build leaves everything these tests need in place.
if(BRETTSPALT_CONTENT AND TARGET brettspalt AND TARGET content)
  add_executable(e2e_pngstats ${CMAKE_CURRENT_SOURCE_DIR}/e2e/pngstats/PngStats.cpp)
  add_dependencies(e2e_pngstats brettspalt content)

  foreach(case menu_and_level saw_scores pause_holds_clock)
    add_test(NAME e2e_${case}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run.sh ${case}
                     $<TARGET_FILE:brettspalt> $<TARGET_FILE:e2e_pngstats>
                     ${PROJECT_BINARY_DIR}/data ${CMAKE_CURRENT_BINARY_DIR}/e2e/${case})
    set_tests_properties(e2e_${case} PROPERTIES TIMEOUT 60 LABELS e2e)
  endforeach()

  # The sound cues of a scripted street, read from the headless run's sound
  # log against the shipped configuration texts (tests/e2e/sound_cues.sh).
  add_test(NAME e2e_sound_cues
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/sound_cues.sh $<TARGET_FILE:brettspalt>
                   ${PROJECT_BINARY_DIR}/data ${PROJECT_SOURCE_DIR}/content/config
                   ${CMAKE_CURRENT_BINARY_DIR}/e2e/sound_cues)
  set_tests_properties(e2e_sound_cues PROPERTIES TIMEOUT 60 LABELS e2e)

  # Leaving a paused street for the menu, through the pause menu and F8: no
  # sound of the street may loop on, nothing may stay paused.
  add_test(NAME e2e_leave_paused_level
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/leave_paused_level.sh
                   $<TARGET_FILE:brettspalt> ${PROJECT_BINARY_DIR}/data
                   ${CMAKE_CURRENT_BINARY_DIR}/e2e/leave_paused_level)
  set_tests_properties(e2e_leave_paused_level PROPERTIES TIMEOUT 60 LABELS e2e)
endif()
