#include "runtime/random_stream.h"

namespace velmora {}  // placeholder, being written
