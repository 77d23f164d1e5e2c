# Install rules and the packages cpack makes from them.
#
# Linux follows the usual prefix layout, so `cmake --install` and the
# .tar.gz both give bin/, share/infsurvey/gridpane.xsl and
# share/man/man1/. Windows programs ship as a flat folder: the two
# .exe files, the stylesheet and the text on use side by side in a .zip.

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
install(FILES infsurvey/gridpane.xsl DESTINATION ${stylesheet_dir})
if(NOT WIN32)
  install(FILES infsurvey/infsurvey.1 pnpsum/pnpsum.1
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
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
  set(STYLESHEET_WHERE "gridpane.xsl in this folder")
  set(EMPTY_ARGUMENT
      "A \"\" alone is skipped like a blank,${nl}  so to give a comment, give the folder too.")
  set(MANUAL_PAGES "")
else()
  set(EXAMPLE_FOLDER "/srv/drivers/")
  set(SEPARATOR "/")
  set(EMPTY_ARGUMENT "An empty argument (\"\") keeps its${nl}  default.")
  set(STYLESHEET_WHERE
      "${CMAKE_INSTALL_DATADIR}/infsurvey/gridpane.xsl under the install prefix")
  set(MANUAL_PAGES
      "${nl}The manual pages infsurvey(1) and pnpsum(1) tell the whole story.")
endif()
configure_file(packaging/README.txt.in packaging/README.txt @ONLY
               NEWLINE_STYLE ${text_newlines})
install(FILES ${PROJECT_BINARY_DIR}/packaging/README.txt DESTINATION ${text_dir})

set(CPACK_PACKAGE_NAME printer-tools)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "infsurvey and pnpsum: printer-driver catalogues and device identifiers")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
  set(PACKAGE_EXTENSION .zip)
else()
  set(CPACK_GENERATOR TGZ)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
  set(PACKAGE_EXTENSION .tar.gz)
endif()
set(CPACK_PACKAGE_FILE_NAME
    ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(PACKAGE_FILE
    ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}${PACKAGE_EXTENSION})
include(CPack)
