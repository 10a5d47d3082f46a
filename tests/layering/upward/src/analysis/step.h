#pragma once
#include "output/plot/picture.h"
#include "runtime/base.h"
