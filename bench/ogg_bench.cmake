# The Ogg Vorbis benchmark encodes its own piece with libvorbisenc and
# compares our decoder with libvorbisfile's ov_read.
pkg_check_modules(OGG_BENCH_VORBIS REQUIRED IMPORTED_TARGET vorbisenc vorbisfile)
target_link_libraries(ogg_bench PRIVATE PkgConfig::OGG_BENCH_VORBIS)
