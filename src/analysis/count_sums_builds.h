#pragma once

#include <cstddef>
#include <cstdint>

#include "analysis/count_sums.h"

// Each build of countSums by name, for the tests and the benchmark that hold
// them to one another and time them; the program itself calls countSums.
namespace velmora::count_sums_builds {

enum class Build { Plain, Avx2, Avx512 };

// Whether this processor runs the build; Plain always runs.
bool runs(Build build);
// The build countSums takes: the widest that runs.
Build chosen();
// countSums by the build named, which must run.
PairCountSums countSums(Build build, const std::uint32_t* counts, const CountColumns& columns,
                        std::size_t n);

}  // namespace velmora::count_sums_builds
