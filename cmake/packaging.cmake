# Installation and the Debian package (`make package`, CPack's DEB generator, no root needed):
# the two programs in /usr/bin; the sample archive, the example scenario and the starter wheeling
# systems in /usr/share/tavlora (the window seeds a user's data folder from there); the desktop
# entry, the icon in the hicolor theme, the manual pages, the bash completion and the Debian
# documentation files. Generated files are made at build time from the programs themselves.
include(GNUInstallDirs)

find_program(TAVLORA_RSVG_CONVERT rsvg-convert)
find_program(TAVLORA_GZIP gzip REQUIRED)
if(NOT TAVLORA_RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert (Debian package librsvg2-bin) renders the icon: run scripts/install-deps.sh")
endif()

set(TAVLORA_MAINTAINER "Tavlora 5/69 developers <tavlora@example.org>")
# The date of the release files; SOURCE_DATE_EPOCH fixes it for reproducible builds.
string(TIMESTAMP TAVLORA_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP TAVLORA_RELEASE_DATE_RFC2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)

# The staged contents of /usr/share/tavlora, also what the tests seed data folders from.
set(TAVLORA_SHARE_STAGE ${PROJECT_BINARY_DIR}/share/tavlora)
set(_dist ${PROJECT_BINARY_DIR}/dist)
set(_import ${PROJECT_BINARY_DIR}/dist/sample-import)
set(_outputs)

# The sample archive: data/sample/draws.csv imported by the command line into a fresh folder.
add_custom_command(OUTPUT ${TAVLORA_SHARE_STAGE}/Tavlora_5d69.ldr
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_import}
  COMMAND $<TARGET_FILE:tavlora-cli> --data ${_import} archive import ${PROJECT_SOURCE_DIR}/data/sample/draws.csv
  COMMAND ${CMAKE_COMMAND} -E copy ${_import}/Tavlora_5d69.ldr ${TAVLORA_SHARE_STAGE}/Tavlora_5d69.ldr
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_import}
  DEPENDS tavlora-cli ${PROJECT_SOURCE_DIR}/data/sample/draws.csv
  COMMENT "Importing the sample archive for /usr/share/tavlora"
  VERBATIM)
add_custom_command(OUTPUT ${TAVLORA_SHARE_STAGE}/example.lsc
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/data/sample/example.lsc ${TAVLORA_SHARE_STAGE}/example.lsc
  DEPENDS ${PROJECT_SOURCE_DIR}/data/sample/example.lsc
  VERBATIM)
list(APPEND _outputs ${TAVLORA_SHARE_STAGE}/Tavlora_5d69.ldr ${TAVLORA_SHARE_STAGE}/example.lsc)

# The icon at the usual theme sizes, rendered from the drawing.
set(TAVLORA_ICON_SIZES 16 22 24 32 48 64 128 256)
foreach(_size ${TAVLORA_ICON_SIZES})
  set(_png ${_dist}/icons/${_size}x${_size}/tavlora.png)
  add_custom_command(OUTPUT ${_png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_dist}/icons/${_size}x${_size}
    COMMAND ${TAVLORA_RSVG_CONVERT} -w ${_size} -h ${_size} -o ${_png} ${PROJECT_SOURCE_DIR}/dist/tavlora.svg
    DEPENDS ${PROJECT_SOURCE_DIR}/dist/tavlora.svg
    VERBATIM)
  list(APPEND _outputs ${_png})
  install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
endforeach()

# The manual pages: tavlora-cli's from its own help, the window's from its page; both compressed.
add_custom_command(OUTPUT ${_dist}/man/tavlora-cli.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_dist}/man
  COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/make-manpage.sh $<TARGET_FILE:tavlora-cli> ${_dist}/man/tavlora-cli.1
  COMMAND ${TAVLORA_GZIP} -9nf ${_dist}/man/tavlora-cli.1
  DEPENDS tavlora-cli ${PROJECT_SOURCE_DIR}/scripts/make-manpage.sh
  COMMENT "Writing the manual page of tavlora-cli from its help"
  VERBATIM)
configure_file(${PROJECT_SOURCE_DIR}/dist/tavlora.1.in ${_dist}/man-src/tavlora.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/dist/changelog.in ${_dist}/doc-src/changelog @ONLY)
foreach(_pair "man-src/tavlora.1|man/tavlora.1.gz" "doc-src/changelog|doc/changelog.gz")
  string(REPLACE "|" ";" _pair "${_pair}")
  list(GET _pair 0 _in)
  list(GET _pair 1 _out)
  get_filename_component(_outdir ${_dist}/${_out} DIRECTORY)
  add_custom_command(OUTPUT ${_dist}/${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_outdir}
    COMMAND sh -c "${TAVLORA_GZIP} -9nc \"$1\" > \"$2\"" sh ${_dist}/${_in} ${_dist}/${_out}
    DEPENDS ${_dist}/${_in}
    VERBATIM)
  list(APPEND _outputs ${_dist}/${_out})
endforeach()
list(APPEND _outputs ${_dist}/man/tavlora-cli.1.gz)

# The bash completion, from the commands, sub-commands and options of the help.
add_custom_command(OUTPUT ${_dist}/completion/tavlora-cli
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_dist}/completion
  COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/make-completion.sh $<TARGET_FILE:tavlora-cli> ${_dist}/completion/tavlora-cli
  DEPENDS tavlora-cli ${PROJECT_SOURCE_DIR}/scripts/make-completion.sh
  COMMENT "Writing the bash completion of tavlora-cli from its help"
  VERBATIM)
list(APPEND _outputs ${_dist}/completion/tavlora-cli)

add_custom_target(tavlora_dist ALL DEPENDS ${_outputs})

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS tavlora tavlora-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TAVLORA_SHARE_STAGE}/Tavlora_5d69.ldr ${TAVLORA_SHARE_STAGE}/example.lsc
  DESTINATION ${CMAKE_INSTALL_DATADIR}/tavlora)
if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/data/systems)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/systems/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tavlora/systems)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/dist/tavlora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/dist/tavlora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_dist}/man/tavlora.1.gz ${_dist}/man/tavlora-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_dist}/completion/tavlora-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/dist/copyright ${_dist}/doc/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavlora)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavlora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tavlora 5/69 developers")
set(CPACK_PACKAGE_CONTACT "${TAVLORA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "analyser of the 5/69 number lottery")
set(CPACK_PACKAGE_DESCRIPTION [=[
Tavlora 5/69 keeps the archive of past draws of a lottery of five numbers
out of 1..69 and one extra number out of 1..26, computes about 150 kinds of
statistics over a window of past draws, narrows the list of all 11,238,513
combinations by the values the player selects, runs scenarios of such
filters as a forecast or as a test over past draws, and records and checks
stakes.

The package holds the desktop window (tavlora, Russian interface), the
command line over the same data folder (tavlora-cli) and a sample archive
of 1390 draws.]=])
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVLORA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/run-data/" "/\\\\.git" "\\\\.deb$")
include(CPack)
