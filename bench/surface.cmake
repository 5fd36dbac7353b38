# velmesh: the spatial tree, sphere templates, the lone-sphere mesh and the
# output writers.
zelmar_add_bench(surface_bench ${CMAKE_CURRENT_LIST_DIR}/surface_bench.cpp LIBS velmesh_core)
