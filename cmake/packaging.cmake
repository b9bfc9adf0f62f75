# Installing and packaging: the programs with their manual pages, the menu
# entry, the icon and the AppStream metadata; CPack makes a Debian package and
# a tarball of the same tree.
include(GNUInstallDirs)

set(KRN_APP_ID io.github.krntools.krntools)
# The day PROJECT_VERSION was released: the AppStream release, the manual pages
# and the Debian changelog show it.
set(KRN_RELEASE_DATE 2026-12-07)
set(KRN_MAINTAINER "krntools maintainers <krntools@users.noreply.github.com>"
    CACHE STRING "Maintainer named in the Debian package")

# Every program named here that the build makes is installed with its manual
# page data/man/<program>.1.in; a new program needs its name here and its page.
set(KRN_PROGRAMS krntools krntools-vscreen)

set(gen ${CMAKE_BINARY_DIR}/packaging)
set(gzipped "")
# Debian wants manual pages and changelogs compressed, without a time stamp so
# that the same sources give the same package.
function(krn_gzip file)
  add_custom_command(OUTPUT ${file}.gz COMMAND gzip -9 -n -k -f ${file} DEPENDS ${file}
                     WORKING_DIRECTORY ${gen} VERBATIM)
  set(gzipped ${gzipped} ${file}.gz PARENT_SCOPE)
endfunction()

foreach(program IN LISTS KRN_PROGRAMS)
  if(NOT TARGET ${program})
    continue()
  endif()
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(UNIX)
    configure_file(data/man/${program}.1.in ${gen}/${program}.1 @ONLY)
    krn_gzip(${gen}/${program}.1)
    install(FILES ${gen}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()

if(UNIX AND NOT APPLE)
  execute_process(COMMAND date -u -R -d "${KRN_RELEASE_DATE} 12:00"
                  OUTPUT_VARIABLE KRN_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KRN_MAINTAINER}")
  configure_file(data/debian/changelog.in ${gen}/changelog @ONLY)
  krn_gzip(${gen}/changelog)

  # The Debian copyright file carries the licence text of LICENSE.
  file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
  string(REGEX REPLACE "^MIT License\n\n(Copyright \\(c\\) )([^\n]*)\n\n" "" terms "${licence}")
  set(holder "${CMAKE_MATCH_2}")
  string(STRIP "${terms}" terms)
  string(REPLACE "\n\n" "\n.\n" terms "${terms}")
  string(REPLACE "\n" "\n " terms "${terms}")
  file(WRITE ${gen}/copyright.in
       "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
       "Upstream-Name: ${PROJECT_NAME}\nSource: ${PROJECT_HOMEPAGE_URL}\n\n"
       "Files: *\nCopyright: ${holder}\nLicense: MIT\n ${terms}\n")
  configure_file(${gen}/copyright.in ${gen}/copyright COPYONLY)
  install(FILES ${gen}/copyright ${gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

  install(FILES data/${KRN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(data/${KRN_APP_ID}.metainfo.xml.in ${gen}/${KRN_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${gen}/${KRN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES data/icons/${KRN_APP_ID}.svg DESTINATION ${icons}/scalable/apps)
  foreach(size 16 32 48 64 128 256)
    install(FILES data/icons/krntools-${size}.png DESTINATION ${icons}/${size}x${size}/apps
            RENAME ${KRN_APP_ID}.png)
  endforeach()
endif()
add_custom_target(krn_install_data ALL DEPENDS ${gzipped})

# `cpack` and `make install` take the tree as built instead of first checking
# every target again (half a minute on a busy machine); `--target package`
# still builds everything first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "The krntools developers")
set(CPACK_PACKAGE_CONTACT "${KRN_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure LED display controllers over an RS-232 line")
# Wrapped by hand: Debian wants description lines of at most 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "krntools sets up the controllers of LED graphic and text displays\n"
       "(screens) connected over an RS-232 serial line: reset a screen, change its\n"
       "line speed or screen number, send the panel geometry and the hardware\n"
       "signal options, and download the glyphs of the screen's clock, drawn from\n"
       "a desktop font. The controller confirms every command, and the tool says\n"
       "plainly whether it arrived. The window speaks Simplified Chinese,\n"
       "Traditional Chinese and English.\n"
       "\n"
       "krntools-vscreen plays such a controller on a pseudo-terminal, to try the\n"
       "tool without hardware.")
set(CPACK_PACKAGE_HOMEPAGE_URL ${PROJECT_HOMEPAGE_URL})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB TGZ)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Unifont draws the clock glyphs where the desktop lacks the clock font; Qt's
# own translations word its standard buttons in Chinese.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-unifont, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
