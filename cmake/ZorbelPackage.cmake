# The Debian package: CPack's DEB generator over the install rules (ZorbelInstall.cmake), with
# /usr as the prefix. scripts/make-deb.sh builds what is needed and runs it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorbel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "launcher of children's Flash songs, stories and games")
# The extended description; CPack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Zorbel Kids (佐贝乐儿童游戏) plays children's songs, stories, knowledge clips and games
in an embedded Flash player (Ruffle), shows cartoons as web pages, and remembers
favourites and the titles played last. Titles are downloaded into each user's
own cache folder.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zorbel Kids developers <dev@zorbel.localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the executable links come from dpkg-shlibdeps, WebKitGTK's among them (its
# package carries the web processes too). What no linking shows: the player's web process
# plays sound through GStreamer, whose base and good plugins give it its output, and every
# window needs a font with Chinese characters.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, fonts-wqy-microhei | fonts-noto-cjk")
# Links open in the desktop's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
