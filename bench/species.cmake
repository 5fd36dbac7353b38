# A species' potential solver: the relaxation sweeps over its grid.
zelmar_add_bench(species_bench species_bench.cpp LIBS zelmar_dynamics)
