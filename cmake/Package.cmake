# What `cmake --install` puts where, and `make package`: the same set as a Debian package.
#   bin/                      varnel-manager, varnelctl
#   libexec/varnel-pro/       rundll, varnel-cardd (started by the programs, never by a user)
#   share/applications/       the manager's desktop entry
#   share/icons/hicolor/      its icon
#   share/metainfo/           its AppStream description, for software centres
#   /etc/xdg/autostart/       the desktop entry again, so that the tray icon comes with the session
#   share/man/man1/           the manual pages of varnel-manager, varnelctl and varnel-cardd
#   share/bash-completion/    varnelctl's completion
#   share/doc/varnel-pro-manager/   the README, the copyright and the changelog
# The autostart directory is absolute: desktops read it there only, whatever the prefix.

set(VARNEL_APP_ID de.varnel.promanager)
# The date of the release that the project's version names; raised together with it.
set(VARNEL_RELEASE_DATE 2026-12-07)
set(VARNEL_AUTOSTART_DIR /etc/xdg/autostart CACHE PATH "Where the session autostart entry goes")

install(TARGETS varnelctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS rundll varnel-cardd RUNTIME DESTINATION ${VARNEL_INSTALL_HELPERDIR})

# The manual pages, written at build time from what the programs print for --help and --version,
# so that they cannot disagree; compressed as Debian keeps them.
add_executable(varnel-manpage ${PROJECT_SOURCE_DIR}/packaging/manpage/ManPage.cpp)
set_target_properties(varnel-manpage PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/man)
set(man_programs varnelctl varnel-cardd)
if(TARGET varnel-manager)
    list(PREPEND man_programs varnel-manager)
endif()
set(man_pages)
foreach(program ${man_programs})
    set(others ${man_programs})
    list(REMOVE_ITEM others ${program})
    set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page} ${page}.gz
        COMMAND varnel-manpage $<TARGET_FILE:${program}> ${VARNEL_RELEASE_DATE} ${page} ${others}
        COMMAND gzip -9nkf ${page}
        DEPENDS varnel-manpage ${program}
        COMMENT "Writing the manual page of ${program}")
    list(APPEND man_pages ${page}.gz)
endforeach()
add_custom_target(manpages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/varnelctl.bash-completion
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME varnelctl)

# What Debian keeps of every package in its documentation directory; the changelog's entry
# carries the project's version and release date.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/varnel-pro-manager)
execute_process(COMMAND env LC_ALL=C TZ=UTC date -R -d "${VARNEL_RELEASE_DATE} 12:00"
    OUTPUT_VARIABLE VARNEL_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/doc/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/doc/changelog.gz
    COMMAND gzip -9nkf ${PROJECT_BINARY_DIR}/doc/changelog
    DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog)
add_custom_target(changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
    ${PROJECT_BINARY_DIR}/doc/changelog.gz DESTINATION ${doc_dir})
# rundll is linked statically on purpose (its start is the configuration round trip's cost).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME varnel-pro-manager)

if(TARGET varnel-manager)
    set(packaging ${PROJECT_SOURCE_DIR}/packaging)
    install(TARGETS varnel-manager RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${packaging}/${VARNEL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${packaging}/autostart.desktop
        DESTINATION ${VARNEL_AUTOSTART_DIR} RENAME ${VARNEL_APP_ID}.desktop)
    install(FILES ${packaging}/mixer-icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME varnel-manager.svg)
    configure_file(${packaging}/${VARNEL_APP_ID}.metainfo.xml.in
        ${PROJECT_BINARY_DIR}/${VARNEL_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${VARNEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    # A file in /etc is the administrator's: an upgrade keeps their edits (Hidden=true turns the
    # autostart off for every user).
    file(WRITE ${PROJECT_BINARY_DIR}/packaging/conffiles
        "${VARNEL_AUTOSTART_DIR}/${VARNEL_APP_ID}.desktop\n")
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/packaging/conffiles)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnel-pro-manager)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Varnel PRO Manager developers <manager@varnel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Mixer panel and peak meters of the Varnel PRO sound card")
# Debian shows the description in lines of at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "The notification-area manager and mixer panel of up to four Varnel PRO cards,
multi-channel PCI sound cards with analog, digital and ADAT inputs and outputs:
live peak meters for every channel, analog input gains, monitoring and output
routing, the digital output's format and input, and the driver's settings of
each card. Its texts are German. A simulated card daemon stands in for the card
and its driver.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The libraries come from the binaries themselves (dpkg-shlibdeps); the font is no library: the
# program's "Arial" resolves to its metric-compatible twin.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
include(CPack)
