# The headless server is started as a process by its own test.
add_dependencies(test_net kestrin-server)
target_compile_definitions(test_net PRIVATE KESTRIN_SERVER="$<TARGET_FILE:kestrin-server>")
