# What a Debian user expects besides the programs: manual pages, shell completion, desktop
# metadata, icons, the licence; and the Debian package built from all of it by
# `cpack -G DEB`.
include(GNUInstallDirs)
set(NIMBREL_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

set(NIMBREL_MAN_PAGES)
if(TARGET nimbrel-cli)
    list(APPEND NIMBREL_MAN_PAGES nimbrel-cli)
endif()
if(TARGET nimbrel)
    list(APPEND NIMBREL_MAN_PAGES nimbrel)
endif()
set(NIMBREL_MAN_OUTPUTS)
foreach(page ${NIMBREL_MAN_PAGES})
    set(output ${PROJECT_BINARY_DIR}/man/${page}.1)
    add_custom_command(OUTPUT ${output} ${output}.gz
        COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR}/man/${page}.1 -DOUTPUT=${output}
                -DVERSION=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
        DEPENDS ${PROJECT_SOURCE_DIR}/man/${page}.1 ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
        VERBATIM)
    list(APPEND NIMBREL_MAN_OUTPUTS ${output} ${output}.gz)
    install(FILES ${output}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(nimbrel_man ALL DEPENDS ${NIMBREL_MAN_OUTPUTS})

if(TARGET nimbrel-cli)
    install(FILES ${NIMBREL_PACKAGING_DIR}/completion/nimbrel-cli.bash
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME nimbrel-cli)
    install(FILES ${NIMBREL_PACKAGING_DIR}/completion/_nimbrel-cli
            DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
endif()

if(TARGET nimbrel)
    install(FILES ${NIMBREL_PACKAGING_DIR}/io.github.nimbrel.Nimbrel.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    foreach(size 16 22 24 32 48 64 128 256)
        install(FILES ${NIMBREL_PACKAGING_DIR}/icons/nimbrel-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME nimbrel.png)
    endforeach()
endif()

# The licence in Debian's machine-readable copyright format.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE NIMBREL_LICENSE)
string(REGEX REPLACE "^MIT License\n\n(Copyright[^\n]*)\n\n" "" NIMBREL_LICENSE_TEXT
       "${NIMBREL_LICENSE}")
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" _ "${NIMBREL_LICENSE}")
set(NIMBREL_COPYRIGHT_HOLDER "${CMAKE_MATCH_1}")
string(STRIP "${NIMBREL_LICENSE_TEXT}" NIMBREL_LICENSE_TEXT)
string(REPLACE "\n\n" "\n.\n" NIMBREL_LICENSE_TEXT "${NIMBREL_LICENSE_TEXT}")
string(REPLACE "\n" "\n " NIMBREL_LICENSE_TEXT "${NIMBREL_LICENSE_TEXT}")
file(WRITE ${PROJECT_BINARY_DIR}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Nimbrel

Files: *
Copyright: ${NIMBREL_COPYRIGHT_HOLDER}
License: Expat

License: Expat
 ${NIMBREL_LICENSE_TEXT}
")
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/nimbrel)
# The package's own history, gzipped without name and time like the manual pages.
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
    COMMAND gzip -9nc ${NIMBREL_PACKAGING_DIR}/changelog > ${PROJECT_BINARY_DIR}/changelog.gz
    DEPENDS ${NIMBREL_PACKAGING_DIR}/changelog)
add_custom_target(nimbrel_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/nimbrel)

# Binaries built with the sanitizers need their runtimes and are no program to ship.
if(NIMBREL_SANITIZE)
    return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nimbrel)
set(CPACK_PACKAGE_VENDOR "The Nimbrel developers")
set(CPACK_PACKAGE_CONTACT "Nimbrel-Entwickler <hilfe@nimbrel.example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://nimbrel.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the toolkit's own texts (context
# menus, standard buttons) in German like the rest, and the desktop platform plugins. The
# completion works only where bash-completion loads it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-qpa-plugins, bash-completion")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"scientific calculator with symbolic derivatives and integrals
Nimbrel evaluates expressions of numbers, variables, operators and 34 named
functions in 80-bit extended precision. It simplifies them, forms derivatives
and antiderivatives symbolically, finds zeros by Newton's method, and computes
numeric derivatives, Simpson integrals and curve lengths. Its user interface
is German. The package holds the Qt window nimbrel and the console program
nimbrel-cli.

Nimbrel ist ein wissenschaftlicher Rechner mit deutscher Oberfläche. Er
berechnet Ausdrücke mit 80 Bit erweiterter Genauigkeit, vereinfacht sie,
bildet Ableitungen und Stammfunktionen symbolisch, findet Nullstellen nach
Newton und berechnet Ableitungen, Integrale nach Simpson und Bogenlängen
numerisch. Das Paket enthält das Fenster nimbrel und das Konsolenprogramm
nimbrel-cli.")
include(CPack)
