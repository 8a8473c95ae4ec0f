# `cpack -G DEB` in the build folder: a Debian package of what `cmake --install` puts in place.
set(CPACK_PACKAGE_NAME talvenor)
set(CPACK_PACKAGE_VENDOR QUORVATH)
set(CPACK_PACKAGE_CONTACT "QUORVATH <talvenor@quorvath.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps dated copies of whatever changes in one folder")
# Lines of at most 80 characters, as Debian's description field wants them.
set(CPACK_PACKAGE_DESCRIPTION
    "Talvenor watches one folder and copies every new or changed file into a\ngeneration folder of a backup folder, named after the local time of the\npass. It runs behind a notification-area icon, or without a desktop as a\nuser service.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries come from dpkg-shlibdeps; the dialogs' Japanese font is not a library.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
# Help and Show log open their files with xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
# The package carries the version of the build it packs, read when cpack runs.
configure_file(${CMAKE_CURRENT_LIST_DIR}/CPackVersion.cmake.in ${CMAKE_BINARY_DIR}/CPackVersion.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackVersion.cmake)
include(CPack)
