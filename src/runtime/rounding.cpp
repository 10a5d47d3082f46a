#include "runtime/rounding.h"

namespace velmora {}  // placeholder, being written
