#pragma once
// The simple segmentation window draws its histogram on the same logarithmic scale as the
// histogram window: HistogramBarTop of the grey histogram is the one definition of it.
#include "image/GrayHistogram.h"
