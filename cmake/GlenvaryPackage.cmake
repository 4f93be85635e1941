# `make package`: a Debian package made by CPack from the install rules of
# the tree. Its dependencies come from the binaries (dpkg-shlibdeps);
# LibreOffice Writer, which only .doc and .wpd import needs, is recommended.
# docs/packaging.md tells what goes where and what lintian says.

set(GLENVARY_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/glenvary")
install(DIRECTORY examples/ DESTINATION "${GLENVARY_DOC_DIR}/examples")
install(FILES packaging/copyright DESTINATION "${GLENVARY_DOC_DIR}")
# Debian wants the changelog compressed with gzip at its strongest.
set(glenvary_changelog "${PROJECT_BINARY_DIR}/packaging/changelog.gz")
add_custom_command(OUTPUT "${glenvary_changelog}"
  COMMAND "${CMAKE_COMMAND}" -DINPUT=${PROJECT_SOURCE_DIR}/packaging/changelog -DOUTPUT=${glenvary_changelog} -DGZIP=${GLENVARY_GZIP}
          -P "${PROJECT_SOURCE_DIR}/cmake/GlenvaryGzip.cmake"
  DEPENDS packaging/changelog cmake/GlenvaryGzip.cmake)
add_custom_target(glenvary_changelog ALL DEPENDS "${glenvary_changelog}")
install(FILES "${glenvary_changelog}" DESTINATION "${GLENVARY_DOC_DIR}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glenvary)
set(CPACK_PACKAGE_VENDOR "The Glenvary developers")
set(CPACK_PACKAGE_CONTACT "The Glenvary developers <dev@glenvary.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "duplicate content checker for two articles")
set(CPACK_PACKAGING_INSTALL_PREFIX "${GLENVARY_PACKAGE_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/glenvary/glenvary")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The PDF module in lib/glenvary is the package's own: dpkg-shlibdeps
# looks there for what the document reader loads.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${PROJECT_BINARY_DIR}/src/app")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-writer-nogui | libreoffice-writer")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The summary above is the first line; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Glenvary shows two articles side by side and marks the passages of the
second that duplicate the first, at least a chosen number of words,
sentences or paragraphs long, with the share of the second article they
make up. It imports plain text, rich text, Word, OpenDocument and PDF
files (.doc and .wpd through LibreOffice Writer), counts keyword phrases,
saves text, JSON or HTML reports and searches an archive of earlier
articles for an article's sources.
.
The package holds the window (glenvary) and the command line
(glenvary-cli), with manual pages and bash completion.")
include(CPack)
