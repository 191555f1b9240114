# Extra settings of the host's tests: libvorbisenc for the decoder tests
# (they encode their own signals) and the smoke test of the real window.
pkg_check_modules(HOST_TEST_VORBISENC REQUIRED IMPORTED_TARGET vorbisenc)
if(TARGET test_host)
  target_link_libraries(test_host PRIVATE PkgConfig::HOST_TEST_VORBISENC)
endif()

# Smoke tests of the real executable: the SDL window (windowed and full
# screen) under xvfb-run with the dummy sound driver, showing the built-in
# test picture; and the real game headless on our own Data.lib once the build
# has made it (skipped until then).
if(TARGET brettspalt)
  foreach(mode window fullscreen)
    add_test(NAME host_smoke_${mode}
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/host/smoke.sh $<TARGET_FILE:brettspalt> ${mode})
    # xvfb-run -a picks a free display, but two started at once may pick the
    # same one: X server tests take turns.
    set_tests_properties(host_smoke_${mode} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60
                         RESOURCE_LOCK xvfb)
  endforeach()
  add_test(NAME host_smoke_headless_game
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/host/smoke.sh $<TARGET_FILE:brettspalt> headless
                   ${PROJECT_BINARY_DIR}/data)
  set_tests_properties(host_smoke_headless_game PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
endif()
