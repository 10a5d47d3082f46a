#include "data/delimited_import.h"

namespace velmora {}  // placeholder, being written
