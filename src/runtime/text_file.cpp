#include "runtime/text_file.h"

namespace velmora {}  // placeholder, being written
