# Uniform draws and jumps of the random streams.
zelmar_add_bench(random_bench random_bench.cpp LIBS zelmar_utils)
