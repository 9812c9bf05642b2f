# The headless server is started as a process by its own test.
add_dependencies(test_net kestrin-server)
target_compile_definitions(test_net PRIVATE KESTRIN_SERVER="$<TARGET_FILE:kestrin-server>")

# netload: load figures of the server (a developer command, not a test).
add_executable(netload ${CMAKE_CURRENT_LIST_DIR}/load/netload.cpp)
target_link_libraries(netload PRIVATE kestrin_test_support)
add_dependencies(netload kestrin-server)
target_compile_definitions(netload PRIVATE KESTRIN_SERVER="$<TARGET_FILE:kestrin-server>")
