#include "runtime/line_reader.h"

namespace velmora {}  // placeholder, being written
