# The product's version, written once here. The other forms in use are its
# leading parts: the release (three parts) is the CMake project's version,
# which xrdtool --version prints; the build (four parts) is the one in the
# report's product row; the banner prints the whole, translated: a new
# version also needs its entry in i18n/kstnident_de.ts.
set(QUORVANEL_VERSION 8.3.0.1.342.020)
string(REGEX MATCH "^[0-9]+\\.[0-9]+\\.[0-9]+" QUORVANEL_VERSION_RELEASE ${QUORVANEL_VERSION})
string(REGEX MATCH "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+" QUORVANEL_VERSION_BUILD ${QUORVANEL_VERSION})
