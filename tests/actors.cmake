# The figure tests encode a small Ogg Vorbis sound of their own to check that
# encoded sounds are decoded once and kept.
pkg_check_modules(ACTORS_TEST_VORBISENC REQUIRED IMPORTED_TARGET vorbisenc)
if(TARGET test_actors)
  target_link_libraries(test_actors PRIVATE PkgConfig::ACTORS_TEST_VORBISENC)
endif()
