# The species set-up: covering spheres and principal axes of real structures.
zelmar_add_bench(species_bench species_bench.cpp LIBS zelmar_dynamics)
target_include_directories(species_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(species_bench PRIVATE ZELMAR_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures")
