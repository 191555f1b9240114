# The blitter benchmark compares against SDL2's software blitter and our
# scalar reference blitter, which lives beside the blitter's tests.
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
target_link_libraries(blit_bench PRIVATE PkgConfig::SDL2)
target_sources(blit_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/blit/ReferenceBlitter.cpp)
