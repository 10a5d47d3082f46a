#pragma once
#include "analysis/paired/family.h"
#include "analysis/resampling/core.h"
