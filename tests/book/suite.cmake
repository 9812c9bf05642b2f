# The default-book tests read the book the build made and the lines it was made from; the
# generator's own tests run it on small files of ours.
target_compile_definitions(test_book PRIVATE
  KESTRIN_DEFAULT_BOOK="${CMAKE_BINARY_DIR}/TestBook.kcb"
  KESTRIN_OPENING_LINES="${CMAKE_SOURCE_DIR}/data/openings.pgn")
if(TARGET default_book)
  add_dependencies(test_book default_book)
endif()
add_dependencies(test_book makebook)
add_test(NAME book.MakebookBuildsFromLines
  COMMAND makebook ${CMAKE_CURRENT_LIST_DIR}/data/lines.pgn ${CMAKE_CURRENT_BINARY_DIR}/lines.kcb)
set_tests_properties(book.MakebookBuildsFromLines PROPERTIES
  PASS_REGULAR_EXPRESSION "3 lines, [0-9]+ positions in lines.kcb" LABELS book)
add_test(NAME book.MakebookRefusesAMoveThatDoesNotPlay
  COMMAND makebook ${CMAKE_CURRENT_LIST_DIR}/data/badline.pgn ${CMAKE_CURRENT_BINARY_DIR}/badline.kcb)
set_tests_properties(book.MakebookRefusesAMoveThatDoesNotPlay PROPERTIES
  PASS_REGULAR_EXPRESSION "game 1: move \"Bb6\" does not fit" LABELS book)
# The book's lines are listed by the engine program's developer command.
add_dependencies(test_book kestrin-engine)
target_compile_definitions(test_book PRIVATE KESTRIN_ENGINE="$<TARGET_FILE:kestrin-engine>")
