#include "runtime/split.h"

namespace velmora {}  // placeholder, being written
