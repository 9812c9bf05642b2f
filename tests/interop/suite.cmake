# A real interface: xboard (under Xvfb) runs a short match of the engine program against
# Fairy-Max. Debian packages xboard, fairymax, xvfb and xauth; test tools only.
add_dependencies(test_interop kestrin-engine)
target_compile_definitions(test_interop PRIVATE KESTRIN_ENGINE="$<TARGET_FILE:kestrin-engine>")
