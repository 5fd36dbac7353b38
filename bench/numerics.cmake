# The numerics library: singular value decomposition and pseudo-inverse.
zelmar_add_bench(numerics_bench ${CMAKE_CURRENT_LIST_DIR}/numerics_bench.cpp LIBS calvex zelmar_matrix)
