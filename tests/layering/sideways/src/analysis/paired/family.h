#pragma once
#include "analysis/bootstrap/engine.h"
#include "analysis/resampling/core.h"
