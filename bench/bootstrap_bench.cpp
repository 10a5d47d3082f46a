#include <benchmark/benchmark.h>

// placeholder, being written
