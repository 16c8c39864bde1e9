# The Debian package, made with `cpack -G DEB` in a build folder: the three
# programs, their manual pages, the example splash, and the licence as the
# package's copyright file. The shared libraries the programs were linked
# with become its dependencies, computed by dpkg-shlibdeps.

# Debian keeps a package's documents under its lower-case package name.
set(dm_package_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/dawnmark)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${dm_package_docdir} RENAME copyright)
install(FILES ${PROJECT_SOURCE_DIR}/examples/splash.txt
              ${PROJECT_SOURCE_DIR}/examples/background.png
              ${PROJECT_SOURCE_DIR}/examples/sun.png
              ${PROJECT_SOURCE_DIR}/examples/stripe.tga
        DESTINATION ${dm_package_docdir}/examples)

set(DAWNMARK_PACKAGE_MAINTAINER "The Dawnmark authors <dawnmark@example.org>"
    CACHE STRING "Maintainer field of the Debian package: name <e-mail>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dawnmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Dawnmark authors")
set(CPACK_PACKAGE_CONTACT ${DAWNMARK_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Your own boot screen for BeOS, made safely")
# Kept in lines short enough for the package's control file as they stand.
set(CPACK_PACKAGE_DESCRIPTION [[Dawnmark replaces the boot splash inside the BeOS boot loader file
zbeos: it reads a short splash description, loads the images it names
(PNG, JPEG, GIF, TGA, PNM, PSD, BMP, bitmap streams), fits them to the
screen, chooses a palette for them and writes a new boot loader file in
which everything but the splash is carried over byte for byte.
Dawnmark-inspect checks a boot loader file, extracts its artwork and
draws a preview of its boot screen. Dawnmark-studio shows the boot
screen in a web browser on this machine while it is made: pictures
dragged into place, options switched, the new file saved.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries the decoders open only when a file needs them are not seen
# by the dependency computation, which reads what the programs link.
get_property(latePackages GLOBAL PROPERTY DAWNMARK_LATE_PACKAGES)
if(latePackages)
  list(JOIN latePackages ", " lateDepends)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${lateDepends}")
endif()
# The build keeps its debug information; the package does not need it.
set(CPACK_STRIP_FILES ON)

include(CPack)
