# Periodic distances, wrapping and frame transforms of the step loop, and
# histogram counting.
zelmar_add_bench(geometry_bench geometry_bench.cpp LIBS zelmar_utils)
