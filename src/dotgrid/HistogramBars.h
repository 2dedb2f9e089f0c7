#pragma once
// The simple segmentation window draws its histogram bars on the logarithmic scale of the
// histogram window; the one definition, HistogramBarTop, lives with the grey histogram (two
// definitions of the same function would clash when both libraries are linked).
#include "image/GrayHistogram.h"
