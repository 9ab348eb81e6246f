# Installing the game (cmake --install) and its Debian package (cpack -G DEB;
# tools/package/build-deb.sh makes it). Included by the top-level
# CMakeLists.txt after every target is defined; the rules name targets, not
# the folders they are built in.
set(VELUNDA_VERSION 1.0.0)
set(VELUNDA_PACKAGE_SOURCE ${CMAKE_CURRENT_LIST_DIR})
set(VELUNDA_PACKAGE_BUILD ${CMAKE_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${VELUNDA_PACKAGE_BUILD})

# Debian's places for games, under the prefix: the commands, the game
# itself (only ever started by the commands) and the data they lay out for
# the player.
set(VELUNDA_INSTALL_COMMANDS games)
set(VELUNDA_INSTALL_PROGRAM lib/games/velunda)
set(VELUNDA_INSTALL_DATA share/games/velunda)

# The commands find the game and its data from their own folder, so an
# install under any prefix works.
file(RELATIVE_PATH game_from_commands /${VELUNDA_INSTALL_COMMANDS} /${VELUNDA_INSTALL_PROGRAM}/Velunda)
file(RELATIVE_PATH data_from_commands /${VELUNDA_INSTALL_COMMANDS} /${VELUNDA_INSTALL_DATA})
foreach(command velunda-start velunda-mini-start)
  target_compile_definitions(${command} PRIVATE VELUNDA_GAME_FROM_STARTER="${game_from_commands}"
                                                VELUNDA_SHARE_FROM_STARTER="${data_from_commands}")
endforeach()

install(TARGETS velunda-start velunda-mini-start velunda-cli RUNTIME DESTINATION ${VELUNDA_INSTALL_COMMANDS})
install(TARGETS Velunda RUNTIME DESTINATION ${VELUNDA_INSTALL_PROGRAM})
install(FILES ${VELUNDA_RUNTIME_DIR}/Graphics/Board.bmp ${VELUNDA_RUNTIME_DIR}/Graphics/WBoard.bmp
        DESTINATION ${VELUNDA_INSTALL_DATA}/Graphics)
install(FILES ${VELUNDA_SAMPLE_GAMES} DESTINATION ${VELUNDA_INSTALL_DATA}/games)
# velunda-desktop draws the icon at 128 x 128 (tools/desktop/icon.h).
install(FILES ${VELUNDA_RUNTIME_DIR}/velunda.png DESTINATION share/icons/hicolor/128x128/apps)

# Manual pages and the changelog, compressed as Debian wants them (-n: no
# time stamp, so the same sources give the same package).
configure_file(${VELUNDA_PACKAGE_SOURCE}/changelog.in ${VELUNDA_PACKAGE_BUILD}/changelog @ONLY)
set(compressed)
foreach(source man/velunda.6 man/velunda-cli.6 ${VELUNDA_PACKAGE_BUILD}/changelog)
  get_filename_component(name ${source} NAME)
  get_filename_component(source ${source} ABSOLUTE BASE_DIR ${VELUNDA_PACKAGE_SOURCE})
  add_custom_command(OUTPUT ${VELUNDA_PACKAGE_BUILD}/${name}.gz
                     COMMAND sh -c "gzip -9n <\"$0\" >\"$1\"" ${source} ${VELUNDA_PACKAGE_BUILD}/${name}.gz
                     DEPENDS ${source} VERBATIM)
  list(APPEND compressed ${VELUNDA_PACKAGE_BUILD}/${name}.gz)
endforeach()
# velunda-mini shares the game's page.
add_custom_command(OUTPUT ${VELUNDA_PACKAGE_BUILD}/velunda-mini.6.gz
                   COMMAND ${CMAKE_COMMAND} -E create_symlink velunda.6.gz ${VELUNDA_PACKAGE_BUILD}/velunda-mini.6.gz
                   VERBATIM)
add_custom_target(velunda_package_files ALL DEPENDS ${compressed} ${VELUNDA_PACKAGE_BUILD}/velunda-mini.6.gz)
install(FILES ${VELUNDA_PACKAGE_BUILD}/velunda.6.gz ${VELUNDA_PACKAGE_BUILD}/velunda-mini.6.gz
              ${VELUNDA_PACKAGE_BUILD}/velunda-cli.6.gz DESTINATION share/man/man6)
install(FILES ${VELUNDA_PACKAGE_BUILD}/changelog.gz ${VELUNDA_PACKAGE_SOURCE}/copyright
        DESTINATION share/doc/velunda)

# The menu entries name the commands by their installed path, known only
# when installing (a package installs under /usr whatever the build's
# prefix). Each install writes its own copies, so two at once do not mix.
install(CODE "
  set(VELUNDA_COMMAND_DIR \"\${CMAKE_INSTALL_PREFIX}/${VELUNDA_INSTALL_COMMANDS}\")
  string(MD5 place \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  set(entries)
  foreach(entry velunda velunda-mini)
    configure_file(${VELUNDA_PACKAGE_SOURCE}/\${entry}.desktop.in
                   ${VELUNDA_PACKAGE_BUILD}/entries-\${place}/\${entry}.desktop @ONLY)
    list(APPEND entries ${VELUNDA_PACKAGE_BUILD}/entries-\${place}/\${entry}.desktop)
  endforeach()
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\" TYPE FILE FILES \${entries})
")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velunda)
set(CPACK_PACKAGE_VERSION ${VELUNDA_VERSION})
set(CPACK_PACKAGE_CONTACT "Velunda team <velunda@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Sudoku game, checker, logical solver, rater and puzzle creator")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Velunda is a Sudoku game drawn with OpenGL in one small window. The player\n"
    "fills the grid with a number pad or the keyboard, keeps pencil marks, has\n"
    "the grid checked or solved, and plays random puzzles rated by the game's\n"
    "own logical solver, which works as a person does and never guesses. In\n"
    "create mode the player composes and saves new puzzles.\n"
    "\n"
    "velunda-cli makes, rates, solves, checks and explains puzzles from the\n"
    "command line and lays them out for paper as PDF, SVG or PNG.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The dependencies are the packages of the libraries the programs link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# Installed with the package's prefix as DESTDIR/prefix, so that the install
# rules see the prefix the files will have (the menu entries name it).
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)
include(CPack)
