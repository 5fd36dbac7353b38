# Reaction and contact kernels of the step loop: the dock-point test of a
# close pair and the residue contact count of two proteins in contact.
zelmar_add_bench(reactions_bench reactions_bench.cpp LIBS zelmar_dynamics)
target_include_directories(reactions_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
