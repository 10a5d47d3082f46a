#pragma once
#include "analysis/bootstrap/engine.h"
