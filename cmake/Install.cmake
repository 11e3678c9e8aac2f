# What `cmake --install` puts where. The programs find their data as ../share/tarvola from their own
# folder (src/core/platform/DataFolder.h), so these two folder names are fixed rather than taken
# from GNUInstallDirs, and the same tree works under /usr, /usr/local or a DESTDIR.
set(TARVOLA_APP_ID org.tarvola.Tarvola)
set(TARVOLA_DATA ${CMAKE_CURRENT_SOURCE_DIR}/data)
set(TARVOLA_INSTALL_DATA share/tarvola)

install(TARGETS tarvola-cli tarvola-sim RUNTIME DESTINATION bin)
if(TARVOLA_BUILD_GUI)
  install(TARGETS tarvola RUNTIME DESTINATION bin)
endif()

# The program's own data folder: language files, the user's guide, and the icons the window uses.
# The guide with its pictures is made by scripts/guide (the package does so); without it the pages go
# alone and read by their captions.
set(TARVOLA_GUIDE_DIR "" CACHE PATH "The user's guide with its pictures, as scripts/guide makes it")
install(DIRECTORY ${TARVOLA_DATA}/E_Lang DESTINATION ${TARVOLA_INSTALL_DATA})
if(TARVOLA_GUIDE_DIR)
  install(DIRECTORY ${TARVOLA_GUIDE_DIR}/ DESTINATION ${TARVOLA_INSTALL_DATA}/guide)
else()
  install(DIRECTORY ${TARVOLA_DATA}/guide DESTINATION ${TARVOLA_INSTALL_DATA})
endif()
install(DIRECTORY ${TARVOLA_DATA}/icons DESTINATION ${TARVOLA_INSTALL_DATA} FILES_MATCHING PATTERN "*.png"
        PATTERN scalable EXCLUDE)
if(EXISTS ${TARVOLA_DATA}/Firmware)
  install(DIRECTORY ${TARVOLA_DATA}/Firmware DESTINATION ${TARVOLA_INSTALL_DATA})
endif()

# The desktop's view of the application: entry, icon theme, software-centre description.
install(FILES ${TARVOLA_DATA}/linux/${TARVOLA_APP_ID}.desktop DESTINATION share/applications)
install(DIRECTORY ${TARVOLA_DATA}/icons/hicolor DESTINATION share/icons)
configure_file(${TARVOLA_DATA}/linux/${TARVOLA_APP_ID}.metainfo.xml
               ${CMAKE_CURRENT_BINARY_DIR}/data/${TARVOLA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/data/${TARVOLA_APP_ID}.metainfo.xml DESTINATION share/metainfo)

# Serial-port access and low latency for the usual USB-serial adapters; udev reads <prefix>/lib/udev
# only for the /usr prefix.
install(FILES ${TARVOLA_DATA}/linux/60-tarvola-serial.rules DESTINATION lib/udev/rules.d)
install(FILES ${TARVOLA_DATA}/linux/tarvola-cli.bash DESTINATION share/bash-completion/completions
        RENAME tarvola-cli)

# Manual pages carry the version; Debian keeps them compressed.
find_program(TARVOLA_GZIP gzip REQUIRED)
set(TARVOLA_MAN_PAGES)
foreach(page IN ITEMS tarvola tarvola-cli tarvola-sim)
  set(man ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1)
  configure_file(${TARVOLA_DATA}/man/${page}.1 ${man} @ONLY)
  add_custom_command(OUTPUT ${man}.gz COMMAND ${TARVOLA_GZIP} -9nfk ${man} DEPENDS ${man}
                     COMMENT "Compressing the manual page ${page}.1")
  list(APPEND TARVOLA_MAN_PAGES ${man}.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${TARVOLA_MAN_PAGES})
install(FILES ${TARVOLA_MAN_PAGES} DESTINATION share/man/man1)
