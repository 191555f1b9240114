# The sound tests read the synthesized items straight from the generator
# library (tools/assetgen/sound), which the content generator normally adds.
if(TARGET test_sound)
  if(NOT TARGET assetgen_sound)
    add_subdirectory(${PROJECT_SOURCE_DIR}/tools/assetgen/sound
                     ${PROJECT_BINARY_DIR}/tools/assetgen/sound-for-tests)
  endif()
  target_link_libraries(test_sound PRIVATE assetgen_sound)
endif()
