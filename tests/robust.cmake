# The game against damaged data and random input, in the sanitizer build
# (scripts/test-sanitized): corrupted copies of the shipped Data.lib, damaged
# Config folders and HiScore.dat files (tests/robust/damaged_data.sh), a save
# killed at random moments (killed_save.sh) and a soak of random input
# (soak.sh; the long one is scripts/soak). The shipped Data.lib comes from
# the main build unless this build makes its own.
if(NOT BRETTSPALT_SANITIZE)
  return()
endif()
add_executable(robust_save_loop ${CMAKE_CURRENT_SOURCE_DIR}/robust/tools/SaveLoop.cpp)
brettspalt_link_game(robust_save_loop)
add_executable(robust_damage ${CMAKE_CURRENT_SOURCE_DIR}/robust/tools/Damage.cpp)

if(TARGET brettspalt)
  add_test(NAME robust_killed_save
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/robust/killed_save.sh
                   $<TARGET_FILE:robust_save_loop> ${CMAKE_CURRENT_BINARY_DIR}/robust/killed_save 100)
  set_tests_properties(robust_killed_save PROPERTIES TIMEOUT 300 LABELS robust)
  if(BRETTSPALT_CONTENT)
    set(_robust_default_data ${PROJECT_BINARY_DIR}/data)
  else()
    set(_robust_default_data ${PROJECT_SOURCE_DIR}/build/data)
  endif()
  set(BRETTSPALT_SHIPPED_DATA_DIR ${_robust_default_data} CACHE PATH
      "Folder of the shipped Data.lib the damaged-data, soak and fuzz runs use")
  add_test(NAME robust_damaged_data
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/robust/damaged_data.sh
                   $<TARGET_FILE:brettspalt> $<TARGET_FILE:robust_damage> ${PROJECT_SOURCE_DIR}
                   ${BRETTSPALT_SHIPPED_DATA_DIR} ${CMAKE_CURRENT_BINARY_DIR}/robust/damaged_data 200)
  set_tests_properties(robust_damaged_data PROPERTIES TIMEOUT 1500 LABELS robust COST 10000)
  add_test(NAME robust_soak
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/robust/soak.sh $<TARGET_FILE:brettspalt>
                   ${BRETTSPALT_SHIPPED_DATA_DIR} ${CMAKE_CURRENT_BINARY_DIR}/robust/soak 20000)
  set_tests_properties(robust_soak PROPERTIES TIMEOUT 1200 LABELS robust COST 10000)
endif()
