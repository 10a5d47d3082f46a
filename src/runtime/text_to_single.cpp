#include "runtime/text_to_single.h"

namespace velmora {}  // placeholder, being written
