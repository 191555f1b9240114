# The fuzz targets (tests/fuzz/targets, one per reader of outside data), their
# seed inputs made from our own content, and their regression runs: each
# target replays its seeds and the committed reproducers of faults it once
# found (tests/fuzz/reproducers/<target>). Built only with BRETTSPALT_FUZZ,
# in the sanitizer build of scripts/test-sanitized; scripts/fuzz runs one.
if(BRETTSPALT_FUZZ)
  set(_fuzz_dir ${CMAKE_CURRENT_SOURCE_DIR}/fuzz)
  # The Data.lib the playing targets and the seeds come from: this build's
  # own, or the one of the main build folder.
  if(BRETTSPALT_CONTENT)
    set(_fuzz_default_data ${PROJECT_BINARY_DIR}/data)
  else()
    set(_fuzz_default_data ${PROJECT_SOURCE_DIR}/build/data)
  endif()
  set(BRETTSPALT_SHIPPED_DATA_DIR ${_fuzz_default_data} CACHE PATH
      "Folder of the shipped Data.lib the damaged-data, soak and fuzz runs use")

  set(_fuzz_targets asset_library config high_scores sound parsers)
  set(_fuzz_sources_asset_library AssetLibraryFuzz.cpp)
  set(_fuzz_sources_config ConfigFuzz.cpp FuzzWorld.cpp)
  set(_fuzz_sources_high_scores HighScoresFuzz.cpp)
  set(_fuzz_sources_sound SoundFuzz.cpp)
  set(_fuzz_sources_parsers ParsersFuzz.cpp)
  set(_fuzz_env "BRETTSPALT_DATA_DIR=${BRETTSPALT_SHIPPED_DATA_DIR};BRETTSPALT_SOURCE_DIR=${PROJECT_SOURCE_DIR}")

  add_executable(fuzz_seeds ${_fuzz_dir}/seeds/FuzzSeeds.cpp)
  brettspalt_link_game(fuzz_seeds)
  pkg_check_modules(FUZZ_SEEDS_VORBISENC REQUIRED IMPORTED_TARGET vorbisenc)
  target_link_libraries(fuzz_seeds PRIVATE datalib_writer PkgConfig::FUZZ_SEEDS_VORBISENC)
  set(_seed_stamp ${PROJECT_BINARY_DIR}/fuzz/seeds.stamp)
  file(GLOB _seed_inputs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/content/config/*.txt
       ${CMAKE_CURRENT_SOURCE_DIR}/e2e/*.script)
  add_custom_command(
    OUTPUT ${_seed_stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${PROJECT_BINARY_DIR}/fuzz/seeds
    COMMAND fuzz_seeds ${PROJECT_SOURCE_DIR} ${BRETTSPALT_SHIPPED_DATA_DIR}/Data.lib
            ${PROJECT_BINARY_DIR}/fuzz/seeds
    COMMAND ${CMAKE_COMMAND} -E touch ${_seed_stamp}
    DEPENDS fuzz_seeds ${_seed_inputs}
    COMMENT "Writing the fuzz seeds from our content"
    VERBATIM)
  add_custom_target(fuzz_corpora ALL DEPENDS ${_seed_stamp})

  foreach(t ${_fuzz_targets})
    set(_sources)
    foreach(s ${_fuzz_sources_${t}})
      list(APPEND _sources ${_fuzz_dir}/targets/${s})
    endforeach()
    add_executable(fuzz_${t} ${_sources})
    brettspalt_link_game(fuzz_${t})
    target_compile_options(fuzz_${t} PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_${t} PRIVATE -fsanitize=fuzzer)
    set_target_properties(fuzz_${t} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
    add_dependencies(fuzz_corpora fuzz_${t})

    set(_replay ${PROJECT_BINARY_DIR}/fuzz/seeds/${t})
    if(EXISTS ${_fuzz_dir}/reproducers/${t})
      list(APPEND _replay ${_fuzz_dir}/reproducers/${t})
    endif()
    add_test(NAME fuzz_replay_${t}
             COMMAND fuzz_${t} -runs=0 -timeout=30 -rss_limit_mb=2560 ${_replay})
    set_tests_properties(fuzz_replay_${t} PROPERTIES ENVIRONMENT "${_fuzz_env}"
                         LABELS fuzz TIMEOUT 300)
  endforeach()
endif()
