#include "data/frm_navigate.h"

namespace velmora {}  // placeholder, being written
