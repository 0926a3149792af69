# The Debian package, made by CPack's DEB generator from the install rules
# (`make package` configures a Release build for it). The library
# dependencies come from the binaries (dpkg-shlibdeps); what the program needs
# at run time without linking it is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tonalba)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "The Tonalba developers <maintainers@tonalba.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Tonalba developers <maintainers@tonalba.org>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tonalba.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The layouts' fonts, Qt's own Italian texts, and the platform plugin for X and Wayland.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-translations-l10n, qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "diary of blood pressure, pulse and body weight")
# The synopsis is the summary above; this is the long description under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Tonalba keeps one person's diary of blood pressure, pulse and body weight.
For every day it computes the averages of the readings, the body-mass index
and the blood-pressure class; it lists and searches the days and prints a
chosen period through a report template that the user can redesign, to hand
to the doctor. A command-line tool creates, imports, exports and prints
archives without a display.

Diario della pressione arteriosa, delle pulsazioni e del peso: medie
giornaliere, indice di massa corporea, classe della pressione, elenco e
ricerca dei giorni, stampa di un periodo con un modello modificabile.")
include(CPack)
