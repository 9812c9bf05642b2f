# The protocol sessions and the xboard match drive the real engine program through pipes.
add_dependencies(test_winboard kestrin-engine)
target_compile_definitions(test_winboard PRIVATE KESTRIN_ENGINE="$<TARGET_FILE:kestrin-engine>")
# The match is a real interface: xboard (under Xvfb) against Fairy-Max, from the Debian packages
# xboard, fairymax, xvfb and xauth. Labelled interop as well, so that it runs on its own
# (ctest -L interop) and stays out of the other runs (ctest -LE interop). The file is read by
# ctest after the discovered tests, whose names it finds in test_winboard_TESTS.
set(match winboard.XboardMatch.TwoGamesAgainstFairyMaxEndProperly)
set(interop_labels ${CMAKE_CURRENT_BINARY_DIR}/winboard_interop.cmake)
file(WRITE ${interop_labels} "list(FIND test_winboard_TESTS ${match} found)\n"
  "if(NOT found EQUAL -1)\n  set_tests_properties(${match} PROPERTIES LABELS interop)\nendif()\n")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${interop_labels})
