# The species set-up of real structures: the whole of it, and its covering
# spheres and principal axes against the plain scans they are checked against.
zelmar_add_bench(shapes_bench shapes_bench.cpp LIBS zelmar_dynamics)
target_include_directories(shapes_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(shapes_bench PRIVATE ZELMAR_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures")
