#include "runtime/file_system_lists.h"

namespace velmora {}  // placeholder, being written
