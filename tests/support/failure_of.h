#pragma once

#include <optional>
#include <ostream>

#include "runtime/expected.h"

namespace velmora {

// Shown in a test's message as the two texts it holds.
inline void PrintTo(const Failure& failure, std::ostream* out) {
    *out << "{\"" << failure.message << "\", \"" << failure.subject << "\"}";
}

namespace testing {

// What an operation failed with, or nullopt for success: one value a test
// compares, where reading failure() of a success would stop the test.
template <typename T>
std::optional<Failure> failureOf(const Expected<T>& result) {
    if (result) return std::nullopt;
    return result.failure();
}

}  // namespace testing
}  // namespace velmora
