# The game as a desktop program: the SDL host with a stand-in game (a virtual
# gamepad on the dummy video driver; the full-screen switch and a resized
# window under a virtual X server), the window icon seen from X, and the
# staged install (tests/host/install.sh).
if(TARGET brettspalt_sdlhost)
  add_executable(test_sdl_host ${CMAKE_CURRENT_SOURCE_DIR}/host/sdl/SdlHostTest.cpp)
  brettspalt_link_game(test_sdl_host)
  target_link_libraries(test_sdl_host PRIVATE brettspalt_sdlhost GTest::gtest GTest::gtest_main)
  add_test(NAME sdl_host_gamepad COMMAND test_sdl_host --gtest_filter=SdlHost.*)
  set_tests_properties(sdl_host_gamepad PROPERTIES ENVIRONMENT "DISPLAY=" TIMEOUT 60)
  add_test(NAME sdl_host_x11
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/host/x11.sh $<TARGET_FILE:test_sdl_host>
                   $<TARGET_FILE:brettspalt> ${PROJECT_BINARY_DIR}/data)
  set_tests_properties(sdl_host_x11 PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 90 RESOURCE_LOCK xvfb)
endif()
if(TARGET brettspalt AND BRETTSPALT_CONTENT)
  add_test(NAME package_install
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/host/install.sh ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR}
                   ${CMAKE_CURRENT_BINARY_DIR}/package_install ${PROJECT_SOURCE_DIR})
  set_tests_properties(package_install PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
endif()
