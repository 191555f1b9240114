# The whole-frame benchmark runs the game on our own Data.lib of this build.
target_compile_definitions(frame_bench PRIVATE
  "BRETTSPALT_BENCH_DATA=\"${PROJECT_BINARY_DIR}/data\"")
if(TARGET content)
  add_dependencies(frame_bench content)
endif()
