# The Debian package: `cpack -G DEB` in the build folder (scripts/package does the whole build).
set(CPACK_PACKAGE_NAME tarvola)
set(CPACK_PACKAGE_VENDOR "TARVOLA")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "TARVOLA developers <tarvola@tarvola.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workshop tool for sequential LPG/CNG injection controllers")
set(CPACK_PACKAGE_DESCRIPTION
    "TARVOLA configures, calibrates and diagnoses a sequential LPG/CNG gas-injection controller over a
serial cable: live engine values, settings, calibration of the gas injection, stored faults, OBD
diagnostics of the car and firmware updates. It brings a desktop application (tarvola), a
command-line tool (tarvola-cli) and a virtual controller for training (tarvola-sim).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the programs themselves; Qt's platform plugins are loaded at run time,
# so no library scan finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARVOLA_BUILD_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
# Qt's own buttons and dialogs in the user's language; Thai texts need a Thai font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-thai-tlwg")
# The udev rule changes who may open newly plugged adapters; make it count at once.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/cmake/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
