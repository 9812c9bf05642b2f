# The sessions drive the real engine program (with its default book) through pipes.
add_dependencies(test_uci kestrin-engine)
if(TARGET default_book)
  add_dependencies(test_uci default_book)
endif()
target_compile_definitions(test_uci PRIVATE KESTRIN_ENGINE="$<TARGET_FILE:kestrin-engine>")
# The game through a real host: xboard under Xvfb driving the engine through polyglot against
# a second copy (Debian packages xboard, polyglot, xvfb, xauth).
kestrin_interop_test(uci uci.PolyglotMatch.TwoGamesAgainstASecondCopyEndProperly)
