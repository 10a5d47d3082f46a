#pragma once

#include <cassert>

// A documented precondition of a function, checked where breaking it would
// go unseen (a wrong figure, memory out of bounds). Asserted in debug,
// sanitizer and fuzz builds; nothing in release builds, where the callers
// already guarantee it. Use it for every "must"/"at least" a header states.
#define VELMORA_EXPECTS(condition) assert((condition) && "precondition")
