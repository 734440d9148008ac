# cmake --install puts the app folder under lib/zorbel, a launcher in bin and a desktop entry.
include(GNUInstallDirs)
set(ZORBEL_INSTALL_APP_DIR ${CMAKE_INSTALL_LIBDIR}/zorbel)
install(DIRECTORY ${ZORBEL_APP_DIR}/ DESTINATION ${ZORBEL_INSTALL_APP_DIR} USE_SOURCE_PERMISSIONS
        PATTERN "Zorbel.ini" EXCLUDE)
install(CODE "
  set(ini \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ZORBEL_INSTALL_APP_DIR}/Zorbel.ini\")
  if(NOT EXISTS \"\${ini}\")
    file(READ \"${ZORBEL_APP_DIR}/Zorbel.ini\" text)
    string(REGEX REPLACE \"ViedoPath=[^\\n]*\" \"ViedoPath=/var/tmp/zorbel-cache\" text \"\${text}\")
    file(WRITE \"\${ini}\" \"\${text}\")
  endif()
")
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  execute_process(COMMAND \${CMAKE_COMMAND} -E create_symlink
    ../${ZORBEL_INSTALL_APP_DIR}/zorbel
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zorbel\")
")
install(FILES ${PROJECT_SOURCE_DIR}/res/zorbel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/res/icons/zorbel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
