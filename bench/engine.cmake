# One time step of the whole scene against the number of instances, and the
# search for each instance's neighbours alone.
zelmar_add_bench(engine_step_bench engine_step_bench.cpp LIBS zelmar_dynamics)
target_include_directories(engine_step_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
