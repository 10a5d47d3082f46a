#include "data/import_command.h"

namespace velmora {}  // placeholder, being written
