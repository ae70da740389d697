# Run by cpack on the Debian package's staging tree, before it is packed:
# the man page compressed and a changelog.Debian.gz, as Debian's policy asks
# of every package (`cmake --install` keeps the plain fluxart.1).
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(staging "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(man_page "${staging}/share/man/man1/fluxart.1")
set(doc_dir "${staging}/share/doc/fluxart")
if(NOT EXISTS "${man_page}" OR NOT IS_DIRECTORY "${doc_dir}")
  message(FATAL_ERROR "no ${man_page} or ${doc_dir} in the package's staging tree")
endif()

string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE "${doc_dir}/changelog.Debian"
  "fluxart (${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}) unstable; urgency=medium\n\n"
  "  * fluxart ${CPACK_PACKAGE_VERSION}, packaged with CPack from the project's sources.\n\n"
  " -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${date}\n")

foreach(file IN ITEMS "${man_page}" "${doc_dir}/changelog.Debian")
  execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${file}")
  endif()
endforeach()
