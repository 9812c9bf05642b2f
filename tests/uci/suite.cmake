# The sessions drive the real engine program (with its default book) through pipes.
add_dependencies(test_uci kestrin-engine)
if(TARGET default_book)
  add_dependencies(test_uci default_book)
endif()
target_compile_definitions(test_uci PRIVATE KESTRIN_ENGINE="$<TARGET_FILE:kestrin-engine>")
# The game through a real host: xboard under Xvfb driving the engine through polyglot against
# Fairy-Max (Debian packages xboard, polyglot, fairymax, xvfb, xauth). Labelled interop, as the
# xboard match is, so that it runs on its own (ctest -L interop).
set(match uci.PolyglotMatch.TwoGamesAgainstFairyMaxEndProperly)
set(interop_labels ${CMAKE_CURRENT_BINARY_DIR}/uci_interop.cmake)
file(WRITE ${interop_labels} "list(FIND test_uci_TESTS ${match} found)\n"
  "if(NOT found EQUAL -1)\n  set_tests_properties(${match} PROPERTIES LABELS interop)\nendif()\n")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${interop_labels})
