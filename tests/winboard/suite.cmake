# The protocol sessions and the xboard match drive the real engine program through pipes.
add_dependencies(test_winboard kestrin-engine)
target_compile_definitions(test_winboard PRIVATE KESTRIN_ENGINE="$<TARGET_FILE:kestrin-engine>")
# The match is a real interface: xboard (under Xvfb) against a second copy, from the Debian packages
# xboard, xvfb and xauth.
kestrin_interop_test(winboard winboard.XboardMatch.TwoGamesAgainstASecondCopyEndProperly)
