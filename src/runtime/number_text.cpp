#include "runtime/number_text.h"

namespace velmora {}  // placeholder, being written
