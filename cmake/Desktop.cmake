# The game on a Linux desktop: its icons (drawn by the content generator), the
# desktop entry, the AppStream metainfo, the man page and the install rules.
#
#   cmake --install build --prefix P
#
# puts the game in P/bin, Data.lib in P/share/brettspalt (found by the game
# relative to its executable, so any prefix or a moved folder works), and the
# desktop files in their standard places under P/share.
include(GNUInstallDirs)

set(BRETTSPALT_APP_ID org.brettspalt.Brettspalt)
set(_icon_dir ${PROJECT_BINARY_DIR}/icons)
set(_icon_outputs ${_icon_dir}/brettspalt_window_icon.inc)
foreach(_size 16 22 24 32 48 64 128 256)
  list(APPEND _icon_outputs ${_icon_dir}/hicolor/${_size}x${_size}/apps/brettspalt.png)
endforeach()
add_custom_command(
  OUTPUT ${_icon_outputs}
  COMMAND $<TARGET_FILE:assetgen> --icons ${_icon_dir}
  DEPENDS assetgen
  COMMENT "Drawing the game's icons"
  VERBATIM)
add_custom_target(icons DEPENDS ${_icon_outputs})
if(TARGET brettspalt_sdlhost)
  add_dependencies(brettspalt_sdlhost icons)
endif()

# Where the installed game looks for Data.lib, relative to its executable.
file(RELATIVE_PATH _data_from_bin ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/brettspalt)
target_compile_definitions(brettspalt_platform PRIVATE
                           BRETTSPALT_DATA_FROM_BIN="${_data_from_bin}")

if(TARGET brettspalt)
  install(TARGETS brettspalt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(BRETTSPALT_CONTENT)
  install(FILES ${PROJECT_BINARY_DIR}/data/Data.lib DESTINATION ${CMAKE_INSTALL_DATADIR}/brettspalt)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/desktop/${BRETTSPALT_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/${BRETTSPALT_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${_icon_dir}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/brettspalt.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
