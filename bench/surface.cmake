# velmesh: the spatial tree, sphere templates, the lone-sphere mesh, the
# output writers, the reduced surface and the analytical surface with its
# areas (of random clusters made by the tests' sphere sets, and of a protein
# from the tests' fixtures), the removal of self-intersections (clusters at
# probe 3, the protein at 1.5 and 3, each without and with it) and the
# triangulated surface of two proteins; whole runs of the program (1tii alone,
# and eight copies of it with -all_components).
zelmar_add_bench(surface_bench ${CMAKE_CURRENT_LIST_DIR}/surface_bench.cpp LIBS velmesh_core)
target_sources(surface_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/surface/support/SphereSets.cpp)
target_include_directories(surface_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(surface_bench PRIVATE ZELMAR_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures")
