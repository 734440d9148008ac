# cmake --install, and the Debian package made from it (scripts/make-deb.sh, ZorbelPackage.cmake),
# put the app folder under lib/zorbel, a launcher in bin, the desktop entry, the icon and the
# AppStream metainfo.
include(GNUInstallDirs)
# The app folder is the program's private folder (executable, settings defaults, skins, the
# player's files, the shipped catalog), not a library folder: no multiarch triplet.
set(ZORBEL_INSTALL_APP_DIR lib/zorbel)
# What the app folder holds, named one by one so that nothing a run left there goes along. The
# executable goes in as a target, so that installing with --strip (the package) strips it; the
# player's source maps only serve a debugger.
install(TARGETS zorbel RUNTIME DESTINATION ${ZORBEL_INSTALL_APP_DIR})
install(DIRECTORY ${ZORBEL_APP_DIR}/Themes ${ZORBEL_APP_DIR}/ruffle ${ZORBEL_APP_DIR}/data
        DESTINATION ${ZORBEL_INSTALL_APP_DIR}
        PATTERN ".zorbel-stamp" EXCLUDE
        PATTERN "*.map" EXCLUDE)
install(FILES ${ZORBEL_APP_DIR}/zorbel.svg DESTINATION ${ZORBEL_INSTALL_APP_DIR})
# The installed settings file holds the defaults only and names no cache folder: each user's
# titles go to their own cache folder, and their own settings to ~/.config/zorbel/Zorbel.ini
# (app/SettingsFiles.h). A folder shared by all users would let one user plant a title that
# another plays.
install(FILES ${ZORBEL_INSTALLED_SETTINGS} DESTINATION ${ZORBEL_INSTALL_APP_DIR})
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  execute_process(COMMAND \${CMAKE_COMMAND} -E create_symlink
    ../${ZORBEL_INSTALL_APP_DIR}/zorbel
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zorbel\")
")
install(FILES ${PROJECT_SOURCE_DIR}/res/zorbel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/res/icons/zorbel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/res/org.zorbel.Kids.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
