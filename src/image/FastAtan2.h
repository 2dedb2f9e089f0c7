#pragma once
#include <cstddef>

namespace corvane {

/// The wrapped-phase rule over count pixels: out[i] = atan2(numerator[i], denominator[i]) in
/// double precision rounded to single, with the near-zero rules first (|numerator| below 3.4e-20
/// gives 0, or 3.1415925 when the denominator is negative; |denominator| below 3.4e-20 gives
/// +-1.5707963 by the numerator's sign). The arctangent is a series evaluated two lanes at a time
/// with SSE2 where available; angles it cannot round to single precision with certainty, and
/// values that are not finite, go to the library's atan2, so the result is that of the library
/// bit for bit. out must not overlap the inputs. Throws nothing.
void WrappedPhaseOf(const float* numerator, const float* denominator, float* out, std::size_t count);

} // namespace corvane
