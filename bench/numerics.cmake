# The numerics library: decomposition, pseudo-inverse, distributions, random numbers.
zelmar_add_bench(numerics_bench ${CMAKE_CURRENT_LIST_DIR}/numerics_bench.cpp LIBS calvex zelmar_matrix)
