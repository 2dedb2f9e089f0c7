#pragma once
#include <cstdint>

#include "image/TFloatImage.h"
#include "phase/CarrierMoireOptions.h"

namespace corvane {

/// Adjust of the carrier tools: keeps the moved spectral window clear of the zero order and inside
/// the reference spectrum (refWidth x refHeight). One-image method, strip of columns: h becomes
/// 2|cy| - 3 when 2|cy| <= h, w becomes refWidth - 5 when refWidth <= w; strip of rows: the same
/// with the roles of x and y exchanged. Two-image method: the larger carrier component decides
/// (|cy| < |cx|: as a strip of rows, else as a strip of columns). A size within its limit stays.
TMovingWindow LimitMovingWindow(TMovingWindow requested, TCarrierOffset carrier, TCarrierMethod method,
                                TStripDirection strip, std::int32_t refWidth, std::int32_t refHeight);

/// The outline of the window around the carrier in a width x height spectrum, from
/// (width/2 + cx - w div 2, height/2 + cy - h div 2) to (width/2 + cx + w div 2, height/2 + cy + h div 2).
TMapCorners MovingWindowOutline(TMovingWindow window, TCarrierOffset carrier, std::int32_t width,
                                std::int32_t height);

/// The window as the carrier tools move it: each size rounded up to an even number.
TMovingWindow EvenMovingWindow(TMovingWindow window);

/// Throws the pixel error "(x,y) not in the image" of the first pixel, in row order, of the
/// window move that would fall outside a width x height map: the block around the carrier is
/// read first, then the block around the centre is written.
void CheckMovingWindow(std::int32_t width, std::int32_t height, TCarrierOffset carrier, TMovingWindow window);

/// The carrier tools' window move on one complex pair (both maps of one size): the sizes are
/// rounded up to even numbers; the w x h block from (W/2 + cx - w/2, H/2 + cy - h/2) is kept, the
/// maps cleared, and the block written back from (W/2 - w/2, H/2 - h/2). This removes the carrier
/// and band-pass filters the spectrum in one step. A window reaching outside the maps throws the
/// pixel error (CheckMovingWindow) before either map changes; an empty window clears both maps.
void MoveCarrierWindow(TFloatImage& real, TFloatImage& imag, TCarrierOffset carrier, TMovingWindow window);

/// The largest window Adjust allows for the carrier (Adjust of a request as large as the maps),
/// then reduced, keeping it centred on the carrier, until its move stays inside the image maps
/// (width x height) and the reference maps (refWidth x refHeight).
TMovingWindow LargestMovingWindow(TCarrierOffset carrier, TCarrierMethod method, TStripDirection strip,
                                  std::int32_t width, std::int32_t height, std::int32_t refWidth,
                                  std::int32_t refHeight);

/// The spectrum search the carrier tools use when none is given: the half of the reference
/// spectrum before its centre along the carrier direction, less the 3 lines nearest the centre, so
/// the carrier peak is found rather than the zero order. For a strip of rows (carrier along x)
/// the columns x < refWidth/2 - 3 of every row; for a strip of columns the rows y < refHeight/2 - 3.
/// A real picture's spectrum holds the carrier twice, symmetric about the centre, with powers
/// equal up to rounding; keeping the half the row-order search reaches first fixes the sign of the
/// phase (the fringe cos(2 pi f x + phi) gives +phi).
TMapRect DefaultCarrierSearch(TStripDirection strip, std::int32_t refWidth, std::int32_t refHeight);

} // namespace corvane
