# The engine's per-step kernels: the electrostatic drift of one instance in
# the field of another, and the normal draws of the Brownian terms.
zelmar_add_bench(dynamics_bench dynamics_bench.cpp LIBS zelmar_dynamics)
target_include_directories(dynamics_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)

# Collision detection and moves with species of about a thousand atoms.
zelmar_add_bench(collision_bench collision_bench.cpp LIBS zelmar_dynamics)
target_include_directories(collision_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
