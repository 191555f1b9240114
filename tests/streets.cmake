# Street validation: the bot plays every shipped street with five seeds and
# each street must be won, with the clock mattering (tests/streets/
# validate_streets.sh prints the table that docs/streets.md keeps). The runs
# are spread over all cores, so CTest is told the test takes them all.
if(BRETTSPALT_CONTENT AND TARGET brettspalt AND TARGET content)
  cmake_host_system_information(RESULT _cores QUERY NUMBER_OF_LOGICAL_CORES)
  add_test(NAME streets_validation
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/streets/validate_streets.sh
                   $<TARGET_FILE:brettspalt> ${PROJECT_BINARY_DIR}/data
                   ${PROJECT_SOURCE_DIR}/content/config ${CMAKE_CURRENT_BINARY_DIR}/streets)
  set_tests_properties(streets_validation PROPERTIES TIMEOUT 1800 LABELS streets
                       PROCESSORS ${_cores})
endif()

# The bot is deterministic: one seed, one game (tests/streets/bot_replays.sh).
if(BRETTSPALT_CONTENT AND TARGET brettspalt AND TARGET content)
  add_test(NAME bot_same_seed_same_game
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/streets/bot_replays.sh
                   $<TARGET_FILE:brettspalt> ${PROJECT_BINARY_DIR}/data
                   ${CMAKE_CURRENT_BINARY_DIR}/bot_replays)
  set_tests_properties(bot_same_seed_same_game PROPERTIES TIMEOUT 120 LABELS e2e)
endif()
