# The foundation tests read archives with datalib's reader, and run the
# datalib command itself.
target_link_libraries(test_foundation PRIVATE datalib_reader)
add_dependencies(test_foundation datalib)

# The foundation tests once more, built with the address and undefined-
# behaviour sanitizers: the library's checks against damaged archives must
# hold without a single read outside the file. The game libraries of the
# shared link group are built without sanitizers, so the sources these tests
# need are compiled into this executable directly. A build with the sanitizers
# throughout runs test_foundation itself under them instead.
if(BRETTSPALT_SANITIZE)
  return()
endif()
set(_found_asan_sources
  ${PROJECT_SOURCE_DIR}/platform/CheatWatcher.cpp
  ${PROJECT_SOURCE_DIR}/platform/FileServices.cpp
  ${PROJECT_SOURCE_DIR}/platform/Random.cpp
  ${PROJECT_SOURCE_DIR}/platform/ScreenFont.cpp
  ${PROJECT_SOURCE_DIR}/platform/PngWriter.cpp
  ${PROJECT_SOURCE_DIR}/platform/ScriptedPlatform.cpp
  ${PROJECT_SOURCE_DIR}/game/AssetLibrary.cpp
  ${PROJECT_SOURCE_DIR}/blit/PictureForms.cpp
  ${PROJECT_SOURCE_DIR}/config/AssetNames.cpp)
if(EXISTS ${PROJECT_SOURCE_DIR}/platform/OggDecoder.cpp)
  list(APPEND _found_asan_sources ${PROJECT_SOURCE_DIR}/platform/OggDecoder.cpp)
endif()
file(GLOB _found_asan_tools CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/datalib/*.cpp)
list(FILTER _found_asan_tools EXCLUDE REGEX ".*/DatalibMain\\.cpp$")
file(GLOB _found_asan_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/foundation/*.cpp)

add_executable(test_foundation_asan ${_found_asan_tests} ${_found_asan_sources} ${_found_asan_tools})
target_include_directories(test_foundation_asan PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(test_foundation_asan PRIVATE
  -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
target_link_options(test_foundation_asan PRIVATE -fsanitize=address,undefined)
pkg_check_modules(FOUNDATION_ASAN_LIBS REQUIRED IMPORTED_TARGET ogg vorbis cairo)
target_link_libraries(test_foundation_asan PRIVATE PkgConfig::FOUNDATION_ASAN_LIBS
  GTest::gtest GTest::gtest_main GTest::gmock)
add_dependencies(test_foundation_asan datalib)
add_test(NAME foundation_asan COMMAND test_foundation_asan)
set_tests_properties(foundation_asan PROPERTIES
  ENVIRONMENT "BRETTSPALT_SOURCE_DIR=${PROJECT_SOURCE_DIR};BRETTSPALT_BINARY_DIR=${PROJECT_BINARY_DIR};ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1")
