# The evaluation suite reads the KPK bitbase the build generates, and checks it against the
# Gaviota tablebases (Debian packages gaviotatb and libgaviotatb-dev; a test tool only).
add_dependencies(test_eval kpk_bitbase)
find_path(GAVIOTA_INCLUDE_DIR gtb-probe.h REQUIRED)
find_library(GAVIOTA_LIBRARY gaviotatb REQUIRED)
find_path(GAVIOTA_TABLES kpk.gtb.cp4 PATHS /usr/share/gaviotatb/gtb4 NO_DEFAULT_PATH REQUIRED)
target_include_directories(test_eval PRIVATE ${GAVIOTA_INCLUDE_DIR})
target_link_libraries(test_eval PRIVATE ${GAVIOTA_LIBRARY})
target_compile_definitions(test_eval PRIVATE GAVIOTA_TABLES="${GAVIOTA_TABLES}")
