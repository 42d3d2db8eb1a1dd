# Read by cpack before it builds a package. The programs look for vandrel1.dlp and
# the component under the prefix they were configured with: a Debian package made
# from a build with another prefix than /usr would install programs that look in
# the wrong place (and files under /usr/local, which a package must not touch).
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR
    "The Debian package is made from a build configured with "
    "-DCMAKE_INSTALL_PREFIX=/usr (this one has ${CPACK_PACKAGING_INSTALL_PREFIX}); "
    "run scripts/package.sh.")
endif()
