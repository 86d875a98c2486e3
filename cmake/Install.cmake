# Installing and packaging: the programs, the launcher that starts Quillory in the user's
# ledger folder, the menu entry with its icon and metainfo, the manual pages, and a .deb that depends on what the program
# loads at run time. Nothing here runs during a plain `cmake --build`; `cpack` makes the package.

include(GNUInstallDirs)

set(QUILLORY_ICON_SIZES 16 22 24 32 48 64 128 256)

set(QUILLORY_PROGRAMS quillory quillory-newdb quillory-notice quillory-import)
install(TARGETS ${QUILLORY_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (the package's) also drops the compilers' version notes, as Debian's own
# packages do.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  foreach(program ${QUILLORY_PROGRAMS})
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
endif()")
install(PROGRAMS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/quillory-start DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/org.example.quillory.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# What software centres show of the program; its id is the menu entry's name.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/org.example.quillory.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/icons/quillory.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN LISTS QUILLORY_ICON_SIZES)
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/icons/quillory-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME quillory.png)
endforeach()
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillory)
# The guide F1 shows, with its pictures of the windows: the program reads it, so it lives in
# the program's own data folder, not among the documents a system may leave out.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/docs/使用說明.md DESTINATION ${CMAKE_INSTALL_DATADIR}/quillory)
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/docs/images DESTINATION ${CMAKE_INSTALL_DATADIR}/quillory)
# The licence, in the machine-readable form that Debian keeps beside every package's documents.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillory)

# The manual pages of the five programs and the package's changelog, compressed as Debian
# keeps them. gzip -n leaves out the name and time, so the same sources make the same package.
set(QUILLORY_MAN_PAGES quillory quillory-start quillory-import quillory-newdb quillory-notice)
set(QUILLORY_GZIP_DIR ${CMAKE_CURRENT_BINARY_DIR}/gzipped)
function(quillory_install_gzipped source name destination)
  install(CODE "file(MAKE_DIRECTORY \"${QUILLORY_GZIP_DIR}\")
    execute_process(COMMAND gzip -9n -c \"${source}\" OUTPUT_FILE \"${QUILLORY_GZIP_DIR}/${name}.gz\"
                    COMMAND_ERROR_IS_FATAL ANY)")
  install(FILES ${QUILLORY_GZIP_DIR}/${name}.gz DESTINATION ${destination})
endfunction()
foreach(page IN LISTS QUILLORY_MAN_PAGES)
  quillory_install_gzipped(${CMAKE_CURRENT_SOURCE_DIR}/packaging/man/${page}.1 ${page}.1 ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
quillory_install_gzipped(${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog changelog ${CMAKE_INSTALL_DATADIR}/doc/quillory)

# The launcher also sits beside the programs in the build folder, where it finds them first:
# scripts/run.sh starts a build through it just as an installed copy starts.
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/packaging/quillory-start ${CMAKE_CURRENT_BINARY_DIR}/quillory-start
               COPYONLY)

set(QUILLORY_PACKAGE_MAINTAINER "Quillory developers <quillory@example.org>"
    CACHE STRING "Maintainer named in the .deb package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillory)
set(CPACK_PACKAGE_VENDOR Quillory)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Debian's limits: a summary under 80 characters, description lines under 80 with the space
# the package adds before each.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "household ledger of daily income and expenses (家庭記帳)")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillory keeps a household ledger with a Traditional Chinese interface: day
by day the expenses and income with their kinds, descriptions, amounts and
remarks, one note a day, queries over any date range, a year report month by
month, charts, recurring items and monthly budgets. The ledger is one SQLite
file in a folder of your own. quillory-start opens ~/Quillory and makes a new
ledger there the first time.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILLORY_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link come from dpkg-shlibdeps. Qt loads the rest only at run
# time, so they are named here: the SQLite driver that opens db1.mdb, the Ming and Kai faces
# the windows are drawn in, and the translations that label the standard buttons 是 / 否 / 確定.
# The X11 platform plugin ships with libqt6gui6, which the programs link anyway.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, fonts-arphic-uming, fonts-arphic-ukai, qt6-translations-l10n")
# The charts' library, named too although dpkg-shlibdeps finds it, so the package says plainly
# what the query window's charts need.
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6charts6")

include(CPack)
