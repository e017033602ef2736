# The Debian package: the programs (stripped), their man pages made from
# their --help (ZENARA_MAN_PAGES, needs help2man), the copyright file, the
# changelog and, with the desktop program, the AppStream metainfo.
# scripts/build-package.sh builds it and runs lintian and the validators on it.
option(ZENARA_MAN_PAGES "Make a man page for each program from its --help (needs help2man)" OFF)

set(ZENARA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/zenara)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${ZENARA_DOC_DIR})
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  COMMAND sh -c "gzip -9n -c '${PROJECT_SOURCE_DIR}/packaging/changelog' > changelog.gz"
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(zenara_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${ZENARA_DOC_DIR})
# The package's version is the changelog's newest one.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^zenara \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not start with version ${PROJECT_VERSION}: ${changelog_top}")
endif()

if(ZENARA_BUILD_QT)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/com.corvalen.zenara.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

if(ZENARA_MAN_PAGES)
  find_program(HELP2MAN help2man REQUIRED)
  set(man_pages)
  foreach(entry
      "zenara|panel designer and simulator for the Corvalen Orvex Zenara"
      "zenara-render|draw the Orvex Zenara's screen from its settings without a window"
      "zenara-panel|read, write or identify an Orvex Zenara over its serial link"
      "zenara-fake-instrument|play an Orvex Zenara on a serial line or a pseudo-terminal"
      "zenara-pack|make a copy of zenara that carries new instrument firmware")
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 program)
    list(GET entry 1 name)
    if(NOT TARGET ${program})
      continue()
    endif()
    set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1)
    # Run by its name from PATH, so the page shows no build folder.
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
      COMMAND ${CMAKE_COMMAND} -E env "PATH=$<TARGET_FILE_DIR:${program}>:$ENV{PATH}" QT_QPA_PLATFORM=offscreen
        ${HELP2MAN} --no-info --section=1 --version-string=${PROJECT_VERSION} --source=Corvalen
        "--name=${name}" --output=${page} ${program}
      COMMAND gzip -9nf ${page}
      DEPENDS ${program} VERBATIM)
    list(APPEND man_pages ${page}.gz)
  endforeach()
  add_custom_target(zenara_man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zenara)
set(CPACK_PACKAGE_VENDOR "Corvalen")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Corvalen Orvex Zenara panel designer and simulator")
# Below the summary in Debian's control file: lines of at most 80 characters.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Runs the Orvex Zenara instrument's firmware on the desktop against simulated
sensors, arranges its panel pages, and talks to a real instrument over its
serial link: panel transfers and firmware updates. Command-line programs draw
its screen, transfer panels, pack firmware and play an instrument for tests.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Corvalen <support@corvalen.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Dependencies come from the libraries the programs link, plus Qt's platform
# plugins, which are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
include(CPack)
