# The sound benchmark times the sound generator library of the content build.
if(TARGET sound_bench)
  if(NOT TARGET assetgen_sound)
    add_subdirectory(${PROJECT_SOURCE_DIR}/tools/assetgen/sound
                     ${PROJECT_BINARY_DIR}/tools/assetgen/sound-for-bench)
  endif()
  target_link_libraries(sound_bench PRIVATE assetgen_sound)
endif()
