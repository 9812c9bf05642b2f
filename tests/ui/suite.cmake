# The window tests drive the real main window on Qt's offscreen platform.
target_link_libraries(test_ui PRIVATE kestrin_ui kestrin_startup Qt6::Test)
