// The encoder's origin choice and its walk over the lattice: every dot reached gets grid indices
// one step from the dot it was reached from, and looks for its own four neighbours.
#include "dotgrid/TDotGridEncoder.h"

#include "dotgrid/TPixelCanvas.h"
#include "image/CorvaneError.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace corvane {

namespace {

/// Lookups beyond this index give "no dot", whatever the coordinate system's range.
constexpr std::int32_t kLookupLimit = 50;

/// The search box half-width for a step or pitch of length: 0.45 of it.
float Tolerance(float length) {
    return static_cast<float>(0.45 * length);
}

} // namespace

void TDotGridEncoder::IndexDots() {
    const auto count = std::min<std::size_t>(static_cast<std::size_t>(std::max(FDotSum, 0)), FDotInfo.size());
    index_.Build(FDotInfo.data(), static_cast<std::int32_t>(count));
}

std::int32_t TDotGridEncoder::NearestToPoint(float x, float y) const {
    float best = 1e10f;
    std::int32_t found = -1;
    for (std::int32_t k = 0; k < FDotSum; ++k) {
        const float d = SquaredDistance(FDotInfo[static_cast<std::size_t>(k)], x, y);
        if (d < best) {
            best = d;
            found = k;
        }
    }
    return found;
}

std::int32_t TDotGridEncoder::NearestOther(std::int32_t k) const {
    const TDotInfo& from = FDotInfo[static_cast<std::size_t>(k)];
    float best = 1e20f;
    std::int32_t found = -1;
    for (std::int32_t j = 0; j < FDotSum; ++j) {
        if (j == k) continue;
        const float d = SquaredDistance(FDotInfo[static_cast<std::size_t>(j)], from.X, from.Y);
        if (d < best) {
            best = d;
            found = j;
        }
    }
    return found;
}

std::int32_t TDotGridEncoder::NearestInBox(float x, float y) const {
    return index_.NearestInBox(x, y, TolX, TolY);
}

std::int32_t TDotGridEncoder::OriginByMethod(TOriginMethod method) const {
    if (FDotSum < 1) return -1;
    switch (method) {
    case TOriginMethod::MaxArea: {
        std::int32_t found = -1, largest = 0;
        for (std::int32_t k = 0; k < FDotSum; ++k)
            if (FDotInfo[static_cast<std::size_t>(k)].Area > largest) {
                largest = FDotInfo[static_cast<std::size_t>(k)].Area;
                found = k;
            }
        return found;
    }
    case TOriginMethod::CenterIndexDot:
        return FDotSum / 2;
    case TOriginMethod::CenterGridDot: {
        float sumX = 0.0f, sumY = 0.0f;
        for (std::int32_t k = 0; k < FDotSum; ++k) {
            sumX += FDotInfo[static_cast<std::size_t>(k)].X;
            sumY += FDotInfo[static_cast<std::size_t>(k)].Y;
        }
        return NearestToPoint(sumX / static_cast<float>(FDotSum), sumY / static_cast<float>(FDotSum));
    }
    case TOriginMethod::CenterImageDot:
        return NearestToPoint(static_cast<float>(WorkImage->Width / 2),
                              static_cast<float>(WorkImage->Height / 2));
    }
    return -1;
}

std::int32_t TDotGridEncoder::FindOriginAuto(TOriginMethod method) {
    IndexDots();
    const std::int32_t o = OriginByMethod(method);
    if (o < 0) return -1;
    const std::int32_t q = NearestOther(o);
    if (q < 0) return -1; // a single dot has no lattice around it
    const TDotInfo& origin = FDotInfo[static_cast<std::size_t>(o)];
    const float dx = FDotInfo[static_cast<std::size_t>(q)].X - origin.X;
    const float dy = FDotInfo[static_cast<std::size_t>(q)].Y - origin.Y;
    const float length = std::max(std::fabs(dx), std::fabs(dy));
    const std::int32_t d = std::fabs(dx) <= std::fabs(dy) ? (dy > 0 ? 1 : 3) : (dx > 0 ? 0 : 2);
    std::int32_t neighbours[4] = {-1, -1, -1, -1};
    neighbours[d] = q;
    TolX = TolY = Tolerance(length);

    // The perpendicular neighbour, searched at growing thirds of the pitch on either side.
    std::int32_t p = -1;
    float f = 0.0f;
    for (std::int32_t k = 1; k <= 9 && p < 0; ++k) {
        for (const float sign : {1.0f, -1.0f}) {
            f = sign * static_cast<float>(k) / 3.0f;
            const std::int32_t found = NearestInBox(origin.X - f * dy, origin.Y + f * dx);
            if (found >= 0 && found != o) {
                p = found;
                break;
            }
        }
    }
    if (p < 0) return -1;
    neighbours[f > 0 ? (d + 1) % 4 : (d + 3) % 4] = p;
    const TDotInfo& perpendicular = FDotInfo[static_cast<std::size_t>(p)];
    Ratio = d % 2 == 0 ? std::fabs((perpendicular.Y - origin.Y) / dx)
                       : std::fabs(dy / (perpendicular.X - origin.X));
    neighbours[(d + 2) % 4] = NearestInBox(origin.X - dx, origin.Y - dy);
    if (f < 0)
        neighbours[(d + 1) % 4] = NearestInBox(origin.X - Ratio * dy, origin.Y + Ratio * dx);
    else
        neighbours[(d + 3) % 4] = NearestInBox(origin.X + Ratio * dy, origin.Y - Ratio * dx);
    Assign(o, neighbours, 0, 0);
    return o;
}

std::int32_t TDotGridEncoder::FindOriginWithRatio(TOriginMethod method, float ratio) {
    IndexDots();
    const std::int32_t o = OriginByMethod(method);
    if (o < 0) return -1;
    const std::int32_t q = NearestOther(o);
    if (q < 0) return -1;
    const TDotInfo& origin = FDotInfo[static_cast<std::size_t>(o)];
    const float dx = FDotInfo[static_cast<std::size_t>(q)].X - origin.X;
    const float dy = FDotInfo[static_cast<std::size_t>(q)].Y - origin.Y;
    const float length = std::max(std::fabs(dx), std::fabs(dy));
    const std::int32_t d = std::fabs(dx) <= std::fabs(dy) ? (dy > 0 ? 1 : 3) : (dx > 0 ? 0 : 2);
    std::int32_t neighbours[4] = {-1, -1, -1, -1};
    neighbours[d] = q;
    TolX = TolY = Tolerance(length);
    neighbours[(d + 1) % 4] = NearestInBox(origin.X - ratio * dy, origin.Y + ratio * dx);
    neighbours[(d + 2) % 4] = NearestInBox(origin.X - dx, origin.Y - dy);
    neighbours[(d + 3) % 4] = NearestInBox(origin.X + ratio * dy, origin.Y - ratio * dx);
    for (const std::int32_t n : neighbours)
        if (n < 0) return -1;
    // The walk predicts with the pitch ratio the user gave.
    Ratio = ratio;
    Assign(o, neighbours, 0, 0);
    return o;
}

std::int32_t TDotGridEncoder::SetOriginDirect(std::int32_t origin, const std::int32_t neighbours[4],
                                              std::int32_t nx, std::int32_t ny) {
    IndexDots();
    if (origin < 0 || origin >= FDotSum) return -1;
    for (std::int32_t i = 0; i < 4; ++i)
        if (neighbours[i] < -1 || neighbours[i] >= FDotSum) return -1;
    const std::int32_t v = neighbours[1] >= 0 ? neighbours[1] : neighbours[3];
    const std::int32_t h = neighbours[0] >= 0 ? neighbours[0] : neighbours[2];
    // Without both a vertical and a horizontal neighbour there is no ratio to walk with.
    if (v < 0 || h < 0) return -1;
    const TDotInfo& o = FDotInfo[static_cast<std::size_t>(origin)];
    const float ratio = std::fabs(o.Y - FDotInfo[static_cast<std::size_t>(v)].Y) /
                        std::fabs(o.X - FDotInfo[static_cast<std::size_t>(h)].X);
    if (!(ratio > 0.0f && std::isfinite(ratio))) return -1;
    Ratio = ratio;
    Assign(origin, neighbours, nx, ny);
    return origin;
}

void TDotGridEncoder::Assign(std::int32_t k, const std::int32_t neighbours[4], std::int32_t nx,
                             std::int32_t ny) {
    if (k < 0) return;
    TDotInfo& dot = FDotInfo[static_cast<std::size_t>(k)];
    dot.Nx = nx;
    dot.Ny = ny;
    dot.Neted = dot.Coded = true;
    Coordinates->Set(nx, ny, k);
    for (std::int32_t i = 0; i < 4; ++i) {
        const std::int32_t n = neighbours[i];
        dot.Neighbour[i] = n;
        if (n < 0) continue;
        TDotInfo& other = FDotInfo[static_cast<std::size_t>(n)];
        other.Neighbour[(i + 2) % 4] = k;
        other.Nx = nx + Dnx[i];
        other.Ny = ny + Dny[i];
        other.Coded = true;
        Coordinates->Set(other.Nx, other.Ny, n);
    }
}

std::int32_t TDotGridEncoder::Lookup(std::int32_t k, std::int32_t i) const {
    const TDotInfo& dot = FDotInfo[static_cast<std::size_t>(k)];
    const std::int32_t nx = dot.Nx + Dnx[i], ny = dot.Ny + Dny[i];
    if (nx < -kLookupLimit || nx > kLookupLimit || ny < -kLookupLimit || ny > kLookupLimit) return -1;
    return Coordinates->Get(nx, ny);
}

void TDotGridEncoder::ResetCodes() {
    for (TDotInfo& dot : FDotInfo) {
        dot.Nx = dot.Ny = 0;
        dot.Neted = dot.Coded = false;
        for (std::int32_t& n : dot.Neighbour)
            n = -1;
    }
    Coordinates = std::make_unique<TCoordinateSystem>(MaxX, MaxY);
    Selected = -1;
}

void TDotGridEncoder::Step(std::int32_t a, std::int32_t d, std::vector<std::int64_t>& pending) {
    const TDotInfo& from = FDotInfo[static_cast<std::size_t>(a)];
    const std::int32_t b = from.Neighbour[d];
    if (b < 0) return;
    TDotInfo& to = FDotInfo[static_cast<std::size_t>(b)];
    if (to.Neted) {
        if (to.Nx == from.Nx + Dnx[d] && to.Ny == from.Ny + Dny[d]) return; // reached before
        throw CorvaneError("Error when encoding, Direct correct it");
    }
    if (!to.Coded) return;

    std::int32_t n[4];
    for (std::int32_t i = 0; i < 4; ++i) {
        const std::int32_t c = Lookup(b, i);
        if (c >= 0) {
            const TDotInfo& known = FDotInfo[static_cast<std::size_t>(c)];
            if (known.Nx != to.Nx + Dnx[i] || known.Ny != to.Ny + Dny[i])
                throw CorvaneError("Error when Encoding, direct correct it");
            n[i] = c;
        } else if (i == d) {
            // Straight on: one more step of the same length.
            const float ax = std::fabs(to.X - from.X), ay = std::fabs(to.Y - from.Y);
            TolX = ax <= ay ? static_cast<float>(0.45 * ay / Ratio) : Tolerance(ax);
            TolY = TolX * Ratio;
            n[i] = NearestInBox(2 * to.X - from.X, 2 * to.Y - from.Y);
        } else if (const std::int32_t e = Lookup(a, i); e >= 0) {
            // Parallelogram: b's neighbour lies where a's neighbour in that direction lies from a.
            const TDotInfo& side = FDotInfo[static_cast<std::size_t>(e)];
            TolX = Tolerance(std::fabs(i % 2 == 0 ? side.X - from.X : to.X - from.X));
            TolY = Tolerance(std::fabs(i % 2 == 0 ? to.Y - from.Y : side.Y - from.Y));
            n[i] = NearestInBox(to.X + side.X - from.X, to.Y + side.Y - from.Y);
        } else {
            // Turn: the step a -> b rotated a quarter towards direction i.
            float vx = to.X - from.X, vy = to.Y - from.Y;
            if (i == (d + 1) % 4)
                vy = -vy;
            else
                vx = -vx;
            TolX = Tolerance(std::max(std::fabs(vx), std::fabs(vy)));
            TolY = TolX * Ratio;
            n[i] = NearestInBox(to.X + Ratio * vy, to.Y + Ratio * vx);
        }
    }
    Assign(b, n, to.Nx, to.Ny);

    if (DrawFlag && Canvas) {
        // Progress: the dot disappears from the picture as it is reached (restored at the end).
        const auto x = static_cast<std::int32_t>(to.X), y = static_cast<std::int32_t>(to.Y);
        if (x >= 0 && y >= 0 && x < WorkImage->Width && y < WorkImage->Height) FillAt(x, y);
        if (PauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(PauseMs));
    }
    // Popped in the order (d + 1), (d + 3), d.
    const std::int64_t from4 = static_cast<std::int64_t>(b) * 4;
    pending.push_back(from4 + d);
    pending.push_back(from4 + (d + 3) % 4);
    pending.push_back(from4 + (d + 1) % 4);
}

void TDotGridEncoder::EncodeAll(std::int32_t origin) {
    if (origin < 0 || origin >= FDotSum) return;
    IndexDots();
    SaveBackup();
    // The walk's own stack of pending steps (dot * 4 + direction): the same order as growing
    // depth first from the origin in directions 0, 2, 1, 3, without a call per dot.
    std::vector<std::int64_t> pending;
    pending.reserve(static_cast<std::size_t>(FDotSum) * 3 + 4);
    const std::int64_t from4 = static_cast<std::int64_t>(origin) * 4;
    for (const std::int32_t d : {3, 1, 2, 0})
        pending.push_back(from4 + d);
    try {
        while (!pending.empty()) {
            const std::int64_t next = pending.back();
            pending.pop_back();
            Step(static_cast<std::int32_t>(next / 4), static_cast<std::int32_t>(next % 4), pending);
        }
    } catch (...) {
        // The picture is put back even when the net contradicts itself.
        RestoreBackup();
        throw;
    }
    RestoreBackup();
    if (Canvas) Canvas->DrawImage(*WorkImage);
    MarkUncoded(nullptr);
}

} // namespace corvane
