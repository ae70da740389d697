# What `cmake --install` puts where, and the packages cpack makes of it.
#   Linux: bin/fluxart, share/man/man1/fluxart.1 and share/doc/fluxart/ (the
#   README with the pictures it shows, the palette and its legend, the
#   examples, the copyright file), and where it is built the Python module
#   in lib/python3/dist-packages/; `cpack -G DEB` makes the Debian package.
#   Windows (the mingw cross build): the zip's layout, fluxart.exe at its top,
#   text files with CR LF line ends and the notices of what is linked into the
#   .exe; `cpack` makes fluxart-VERSION-win32.zip.
# The version is the project's (CMakeLists.txt); it goes into the man page and
# the package metadata, never into the console output.
include(GNUInstallDirs)

set(FLUXART_DEBIAN_REVISION 1 CACHE STRING "Debian revision of the package of this version")

# Packaging installs what the build made; it does not build tests and tools first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_PACKAGE_NAME fluxart)
set(CPACK_PACKAGE_VENDOR "the fluxart authors")
set(CPACK_PACKAGE_CONTACT "fluxart maintainers <maintainers@fluxart.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "draws the magnetic field of magnets painted in a PNG picture")
set(CPACK_STRIP_FILES TRUE)

if(NOT WIN32)
  # The man page names the folder of the examples, which depends on the
  # prefix given at install time (/usr for the Debian package): it is
  # stamped when installed.
  if(IS_ABSOLUTE "${CMAKE_INSTALL_DOCDIR}")
    set(docdir "${CMAKE_INSTALL_DOCDIR}")
  else()
    set(docdir "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DOCDIR}")
  endif()
  install(CODE "
    set(PROJECT_VERSION \"${PROJECT_VERSION}\")
    set(FLUXART_DOCDIR \"${docdir}\")
    configure_file(\"${CMAKE_SOURCE_DIR}/docs/fluxart.1.in\" \"${CMAKE_BINARY_DIR}/fluxart.1\" @ONLY)")

  install(TARGETS fluxart RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES "${CMAKE_BINARY_DIR}/fluxart.1" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs
          FILES_MATCHING PATTERN "*.png" PATTERN "*.gpl")
  install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples
          FILES_MATCHING PATTERN "*.png")

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE ${FLUXART_DEBIAN_REVISION})
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  # dpkg-shlibdeps names the libraries the program links: LodePNG's runtime
  # package, the C and C++ runtimes.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  if(TARGET fluxart_python)
    # The module needs its Python and NumPy; the program needs neither.
    string(REGEX REPLACE "^([0-9]+)\\.([0-9]+)$" "\\1" python_major "${FLUXART_PYTHON_VERSION}")
    string(REGEX REPLACE "^([0-9]+)\\.([0-9]+)$" "\\2" python_minor "${FLUXART_PYTHON_VERSION}")
    math(EXPR python_next "${python_minor} + 1")
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
        "python3 (>= ${FLUXART_PYTHON_VERSION}), python3 (<< ${python_major}.${python_next}), python3-numpy")
  endif()
  set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_SOURCE_DIR}/cmake/debian-package-files.cmake")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Every pixel of a 640 x 640 PNG drawing in one of 372 magnet colours is a 1 mm
cube of permanent magnet, its colour saying how it is magnetised. fluxart
computes the field at a height above the sheet and writes a contour picture,
a streamline picture, a combined picture and, on request, text tables of the
three field components. The Python module fluxart gives the field as NumPy
arrays.")
else()
  # Text for Windows: CR LF line ends, under a .txt name Notepad opens.
  function(fluxart_windows_text source destination name)
    if(NOT EXISTS "${source}")
      message(WARNING "${source} is missing: the zip will not hold ${destination}/${name}")
      return()
    endif()
    file(READ "${source}" text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE "${CMAKE_BINARY_DIR}/windows-text/${destination}/${name}" "${text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")
    install(FILES "${CMAKE_BINARY_DIR}/windows-text/${destination}/${name}"
            DESTINATION ${destination})
  endfunction()

  install(TARGETS fluxart RUNTIME DESTINATION .)
  fluxart_windows_text("${CMAKE_SOURCE_DIR}/README.md" . README.txt)
  fluxart_windows_text("${CMAKE_SOURCE_DIR}/packaging/RUNNING.txt" . RUNNING.txt)
  fluxart_windows_text("${CMAKE_SOURCE_DIR}/LICENSE" . LICENSE.txt)
  install(DIRECTORY docs/ DESTINATION docs FILES_MATCHING PATTERN "*.png" PATTERN "*.gpl")
  install(DIRECTORY examples/ DESTINATION examples FILES_MATCHING PATTERN "*.png")

  # What the static link puts into the .exe besides our own code: LodePNG,
  # the mingw-w64 runtime (with winpthreads) and GCC's libstdc++ and libgcc.
  # The last two are Debian's copyright files of the toolchain's packages.
  if(LODEPNG_SOURCE)
    fluxart_windows_text("${LODEPNG_DIR}/LICENSE" notices LodePNG.txt)
  endif()
  set(FLUXART_MINGW_RUNTIME_NOTICE /usr/share/doc/mingw-w64-i686-dev/copyright
      CACHE FILEPATH "Licences of the mingw-w64 runtime linked into fluxart.exe")
  set(FLUXART_GCC_RUNTIME_NOTICE /usr/share/doc/gcc-mingw-w64-i686-posix-runtime/copyright
      CACHE FILEPATH "Licences of libstdc++ and libgcc linked into fluxart.exe")
  fluxart_windows_text("${FLUXART_MINGW_RUNTIME_NOTICE}" notices mingw-w64-runtime.txt)
  fluxart_windows_text("${FLUXART_GCC_RUNTIME_NOTICE}" notices gcc-runtime-libstdc++-libgcc.txt)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "fluxart-${PROJECT_VERSION}-win32")
endif()

include(CPack)
