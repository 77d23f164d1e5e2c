# Install rules and the packages cpack makes from them.
#
# Linux follows the usual prefix layout, so `cmake --install`, the .tar.gz
# and the Debian package (under /usr) all give bin/,
# share/infsurvey/ with the viewer page and the stylesheet, share/man/man1/ with the manual pages
# gzipped and share/doc/printer-tools/ with the text on use, the copyright
# and the change log. Windows programs ship as a flat folder: the two .exe
# files, the viewer page, the stylesheet and the text on use side by side
# in a .zip.

if(WIN32)
  set(tool_dir .)
  set(stylesheet_dir .)
  set(text_dir .)
  set(text_newlines WIN32)
else()
  include(GNUInstallDirs)
  set(tool_dir ${CMAKE_INSTALL_BINDIR})
  set(stylesheet_dir ${CMAKE_INSTALL_DATADIR}/infsurvey)
  set(text_dir ${CMAKE_INSTALL_DATADIR}/doc/printer-tools)
  set(text_newlines UNIX)
endif()

install(TARGETS infsurvey pnpsum RUNTIME DESTINATION ${tool_dir})
install(FILES infsurvey/gridpane.html infsurvey/gridpane.xsl DESTINATION ${stylesheet_dir})
if(NOT WIN32)
  # gzip -n: no name or time in the header, so the same sources give the
  # same package bytes.
  find_program(GZIP gzip REQUIRED)
  set(gzipped_dir ${PROJECT_BINARY_DIR}/packaging/gzipped)
  file(MAKE_DIRECTORY ${gzipped_dir})
  set(gzipped)
  foreach(source infsurvey/infsurvey.1 pnpsum/pnpsum.1 packaging/changelog)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${gzipped_dir}/${name}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${gzipped_dir}/${name}
      COMMAND ${GZIP} -9nf ${gzipped_dir}/${name}
      DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
    list(APPEND gzipped ${gzipped_dir}/${name}.gz)
  endforeach()
  add_custom_target(gzipped_documents ALL DEPENDS ${gzipped})
  install(FILES ${gzipped_dir}/infsurvey.1.gz ${gzipped_dir}/pnpsum.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES packaging/copyright ${gzipped_dir}/changelog.gz
          DESTINATION ${text_dir})
endif()

# The text on use speaks of the platform it ships for. NEWLINE_STYLE
# converts only the template's own line ends, so a value that spans lines
# carries the platform's line end itself.
set(PACKAGE_TOOL_SUFFIX "${CMAKE_EXECUTABLE_SUFFIX}")
if(WIN32)
  set(nl "\r\n")
else()
  set(nl "\n")
endif()
if(WIN32)
  set(EXAMPLE_FOLDER "D:\\Drivers\\")
  set(SEPARATOR "\\")
  set(VIEWER_WHERE "gridpane.html in this folder")
  set(EMPTY_ARGUMENT
      "A \"\" alone is skipped like a blank,${nl}  so to give a comment, give the folder too.")
  set(MANUAL_PAGES "")
else()
  set(EXAMPLE_FOLDER "/srv/drivers/")
  set(SEPARATOR "/")
  set(EMPTY_ARGUMENT "An empty argument (\"\") keeps its${nl}  default.")
  set(VIEWER_WHERE
      "${CMAKE_INSTALL_DATADIR}/infsurvey/gridpane.html${nl}  under the install prefix")
  set(MANUAL_PAGES
      "${nl}The manual pages infsurvey(1) and pnpsum(1) tell the whole story.")
endif()
configure_file(packaging/README.txt.in packaging/README.txt @ONLY
               NEWLINE_STYLE ${text_newlines})
install(FILES ${PROJECT_BINARY_DIR}/packaging/README.txt DESTINATION ${text_dir})

set(CPACK_PACKAGE_NAME printer-tools)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "printer-driver catalogues and device identifiers with checksums")
set(CPACK_PACKAGE_DESCRIPTION [[
infsurvey surveys a Windows driver repository (such as a copy of a
DriverStore FileRepository folder) and writes an XML catalogue of the
manufacturers and models of its printer drivers. The page gridpane.html
shows catalogues in any current web browser, opened from disk: filtered,
compared between machines and exported as CSV. The stylesheet
gridpane.xsl turns a catalogue into one static web page with xsltproc.

pnpsum asks for a manufacturer and a model and prints the device
identifier made from them, with its 16-bit checksum.]])
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
# A cross build's tests, cpack's among them, may run where its compiler is
# not (the Wine guest), and there make would take every compiler header as
# missing and rebuild: installing, and so cpack, does not build first.
if(CMAKE_CROSSCOMPILING)
  set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
set(DEB_FILE "")
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
  set(PACKAGE_EXTENSION .zip)
else()
  set(CPACK_GENERATOR TGZ)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
  set(PACKAGE_EXTENSION .tar.gz)

  # The Debian package, where dpkg-dev can work out its dependencies.
  set(PACKAGE_MAINTAINER
      "printer-tools maintainers <maintainers@users.noreply.c-seed-8a18be55.example>"
      CACHE STRING "Maintainer field of the Debian package")
  find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
  find_program(DPKG dpkg)
  if(DPKG_SHLIBDEPS AND DPKG)
    execute_process(COMMAND ${DPKG} --print-architecture
                    OUTPUT_VARIABLE deb_architecture OUTPUT_STRIP_TRAILING_WHITESPACE)
    list(APPEND CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${deb_architecture})
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PACKAGE_MAINTAINER}")
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS xsltproc)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    set(DEB_FILE ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_NAME}_${PROJECT_VERSION}_${deb_architecture}.deb)
  else()
    message(STATUS "No dpkg-shlibdeps (dpkg-dev): no Debian package")
  endif()
endif()
set(CPACK_PACKAGE_FILE_NAME
    ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(PACKAGE_FILE
    ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}${PACKAGE_EXTENSION})
include(CPack)
