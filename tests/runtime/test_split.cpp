#include <gtest/gtest.h>

// placeholder, being written
