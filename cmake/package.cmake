# Two Debian packages from one build, by cpack -G DEB in the build folder: varnox-cli (the
# component cli) runs on a server without a window toolkit; varnox (the component gui)
# adds the windows and depends on exactly the same varnox-cli.
set(CPACK_PACKAGE_NAME varnox)
set(CPACK_PACKAGE_VENDOR Varnox)
set(CPACK_PACKAGE_CONTACT "Varnox developers <varnox@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
if(TARGET varnox)
  list(APPEND CPACK_COMPONENTS_ALL gui)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME varnox-cli)
set(CPACK_DEBIAN_GUI_PACKAGE_NAME varnox)

# The first line of each description is the package's summary.
set(CPACK_DEBIAN_CLI_DESCRIPTION
    "RES archives and GFP pictures of one game on the command line
varnox-cli reports on RES archives and unpacks their pictures as GFP files,
converts GFP pictures into TGA and PNG files and puts a picture back into a
GFP file or an archive, from a shell or a script.
.
This package also gives file managers the file types of RES archives and GFP
pictures and thumbnails of GFP pictures. The windows are in the package
varnox.")
set(CPACK_DEBIAN_GUI_DESCRIPTION
    "RES archives and GFP pictures of one game: report, unpack, convert
Varnox reports on RES archives and unpacks their pictures as GFP files,
converts GFP pictures into TGA and PNG files and puts a picture back into a
GFP file or an archive.
.
This package holds the two windows, the desktop entry and the software
centre's metadata; file managers open archives and pictures with Varnox.
The command line is in the package varnox-cli.")

# The libraries come from dpkg-shlibdeps where it is installed (dpkg-dev), for each package
# its own. Named by hand: the platform plugins, which Qt loads at run time and no binary
# links; the German texts of Qt's own dialogs and xdg-open, which the windows do without.
set(varnox_gui_depends "varnox-cli (= ${CPACK_PACKAGE_VERSION}), qt6-qpa-plugins")
set(CPACK_DEBIAN_GUI_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
find_program(VARNOX_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VARNOX_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "")
  set(CPACK_DEBIAN_GUI_PACKAGE_DEPENDS "${varnox_gui_depends}")
else()
  set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, zlib1g, libspng0, libdeflate0")
  set(CPACK_DEBIAN_GUI_PACKAGE_DEPENDS
      "${varnox_gui_depends}, libc6, libstdc++6, libgcc-s1, libqt6core6, libqt6gui6, libqt6widgets6")
endif()
include(CPack)
