#pragma once

// The two searches of a correlation run, one file each.
#include "correlation/SeedSearch.h"
#include "correlation/WholeFieldSearch.h"
