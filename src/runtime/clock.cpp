#include "runtime/clock.h"

namespace velmora {}  // placeholder, being written
