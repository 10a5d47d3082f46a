#pragma once
#include "analysis/step.h"
#include "output/other.h"
#include "runtime/base.h"
