# The protocol sessions drive the real engine program through pipes.
add_dependencies(test_winboard kestrin-engine)
target_compile_definitions(test_winboard PRIVATE KESTRIN_ENGINE="$<TARGET_FILE:kestrin-engine>")
