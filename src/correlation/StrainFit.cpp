#include "correlation/StrainFit.h"

#include "image/CorvaneError.h"
#include "image/FloatMapDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace corvane {

namespace {

std::unique_ptr<TFloatImage> ResultLike(const TFloatImage& field) {
    auto result = std::make_unique<TFloatImage>(nullptr, field.Width, field.Height);
    result->ScaleX = field.ScaleX;
    result->ScaleY = field.ScaleY;
    result->ValueScale = 1.0f;
    return result;
}

bool Missing(float value) {
    return !std::isfinite(value) || value == kNotComputedMarker;
}

/// The sums of one row over the window's columns: the number of valid points and the sums of x,
/// x², f and x·f over them (x the column, f the field value).
constexpr std::size_t kRowSums = 5;
/// The sums over the whole window: n, Σx, Σx², Σf, Σxf from the rows, and Σy, Σy², Σxy, Σyf.
constexpr std::size_t kWindowSums = 9;

/// Horizontal running sums of one row into sums (kRowSums per column, interleaved).
void RowWindowSums(const float* f, const std::uint8_t* m, std::size_t width, std::size_t half, double* sums) {
    double n = 0.0, sx = 0.0, sxx = 0.0, sf = 0.0, sxf = 0.0;
    const auto add = [&](std::size_t x, double sign) {
        if (m[x] == 0 || !std::isfinite(f[x])) return;
        const double dx = static_cast<double>(x), v = f[x];
        n += sign;
        sx += sign * dx;
        sxx += sign * dx * dx;
        sf += sign * v;
        sxf += sign * dx * v;
    };
    for (std::size_t x = 0; x < std::min(half, width); ++x)
        add(x, 1.0);
    for (std::size_t x = 0; x < width; ++x) {
        if (x + half < width) add(x + half, 1.0);
        if (x > half) add(x - half - 1, -1.0);
        double* s = sums + x * kRowSums;
        s[0] = n;
        s[1] = sx;
        s[2] = sxx;
        s[3] = sf;
        s[4] = sxf;
    }
}

/// Adds (sign 1) or removes (sign -1) the row sums of row y to the window sums of every column.
void AccumulateRow(const double* row, double y, double sign, std::size_t width, double* window) {
    for (std::size_t x = 0; x < width; ++x) {
        const double* r = row + x * kRowSums;
        double* w = window + x * kWindowSums;
        w[0] += sign * r[0];
        w[1] += sign * r[1];
        w[2] += sign * r[2];
        w[3] += sign * r[3];
        w[4] += sign * r[4];
        w[5] += sign * y * r[0];
        w[6] += sign * y * y * r[0];
        w[7] += sign * y * r[1];
        w[8] += sign * y * r[3];
    }
}

void CheckSameSize(const TFloatImage& a, const TFloatImage& b, const char* nameA, const char* nameB) {
    if (a.Width != b.Width || a.Height != b.Height)
        throw CorvaneError(std::string(nameA) + " is " + std::to_string(a.Width) + " x " +
                           std::to_string(a.Height) + " points and " + nameB + " " + std::to_string(b.Width) +
                           " x " + std::to_string(b.Height) + ": the U and V fields must have the same size");
}

/// The component at one point from the four derivatives.
double Combine(StrainComponent component, double ux, double uy, double vx, double vy) {
    if (component == StrainComponent::Shear) return (uy + vx) / 2.0;
    const double exx = ux + (ux * ux + vx * vx) / 2.0;
    const double eyy = vy + (uy * uy + vy * vy) / 2.0;
    const double exy = (uy + vx + ux * uy + vx * vy) / 2.0;
    const double centre = (exx + eyy) / 2.0;
    const double radius = std::hypot((exx - eyy) / 2.0, exy);
    switch (component) {
    case StrainComponent::Exx:
        return exx;
    case StrainComponent::Eyy:
        return eyy;
    case StrainComponent::Exy:
        return exy;
    case StrainComponent::E1:
        return centre + radius;
    case StrainComponent::E2:
        return centre - radius;
    default: {
        const double ezz = -(exx + eyy);
        return std::sqrt(2.0 / 3.0 * (exx * exx + eyy * eyy + ezz * ezz + 2.0 * exy * exy));
    }
    }
}

/// A field's validity mask with the points its derivative leaves not computed set to 0.
void ClearMissing(TGrayImage& mask, const TFloatImage& result) {
    const std::size_t n = result.PixelCount();
    for (std::size_t i = 0; i < n; ++i)
        if (Missing(result.Data[i])) mask.Data[i] = 0;
}

void AndMask(TGrayImage& mask, const TGrayImage& other) {
    for (std::int32_t i = 0; i < mask.Size; ++i)
        if (other.Data[i] == 0) mask.Data[i] = 0;
}

/// The two derivatives of one field file with its own mask.
struct FieldPart {
    FieldDerivatives Derivatives;
    std::unique_ptr<TGrayImage> Mask;
};

FieldPart DifferentiateField(const TFloatImage* field, const char* name, const StrainRequest& request) {
    if (!field) throw CorvaneError(std::string("the ") + name + " field is needed for this component");
    FieldPart part;
    part.Mask = MakeStrainMask(*field, request.Mask);
    if (request.FitWindow == 0) {
        part.Derivatives.AlongX = ComputeDerivative(*field, *part.Mask, StrainDirection::AlongX);
        part.Derivatives.AlongY = ComputeDerivative(*field, *part.Mask, StrainDirection::AlongY);
    } else {
        part.Derivatives = FitDerivatives(*field, *part.Mask, request.FitWindow);
        ClearMissing(*part.Mask, *part.Derivatives.AlongX);
    }
    return part;
}

} // namespace

void CheckStrainWindow(int window) {
    if (window < 3 || window % 2 == 0)
        throw CorvaneError("the strain window must be an odd number of at least 3 points, not " +
                           std::to_string(window));
}

FieldDerivatives FitDerivatives(const TFloatImage& field, const TGrayImage& mask, int window) {
    CheckStrainWindow(window);
    if (mask.Width != field.Width || mask.Height != field.Height || (field.PixelCount() > 0 && !mask.Data))
        ComputeDerivative(field, mask, StrainDirection::AlongX); // throws the mask-size message
    FieldDerivatives out{ResultLike(field), ResultLike(field)};
    if (!field.Data || field.PixelCount() == 0) return out;
    const std::size_t width = static_cast<std::size_t>(field.Width);
    const std::size_t height = static_cast<std::size_t>(field.Height);
    const std::size_t half = static_cast<std::size_t>(window / 2);
    const double needed = static_cast<double>(window) * window / 2.0;
    const double scaleX = field.ScaleX, scaleY = field.ScaleY;

    // The row sums of the window's rows, kept in a ring of window rows, and the window sums of
    // every column of the current row, updated by the row that enters and the one that leaves.
    std::vector<double> ring(static_cast<std::size_t>(window) * width * kRowSums);
    std::vector<double> sums(width * kWindowSums, 0.0);
    const auto rowOf = [&](std::size_t y) { return ring.data() + (y % window) * width * kRowSums; };
    const auto enter = [&](std::size_t y) {
        double* row = rowOf(y);
        RowWindowSums(field.Data + y * width, mask.Data + y * width, width, half, row);
        AccumulateRow(row, static_cast<double>(y), 1.0, width, sums.data());
    };
    for (std::size_t y = 0; y < std::min(half, height); ++y)
        enter(y);
    for (std::size_t y = 0; y < height; ++y) {
        // The leaving row goes first: the entering one takes its place in the ring.
        if (y > half)
            AccumulateRow(rowOf(y - half - 1), static_cast<double>(y - half - 1), -1.0, width, sums.data());
        if (y + half < height) enter(y + half);
        const std::uint8_t* m = mask.Data + y * width;
        const float* f = field.Data + y * width;
        float* dx = out.AlongX->Data + y * width;
        float* dy = out.AlongY->Data + y * width;
        for (std::size_t x = 0; x < width; ++x) {
            const double* s = sums.data() + x * kWindowSums;
            const double n = s[0];
            dx[x] = dy[x] = kNotComputedMarker;
            if (n < needed || m[x] == 0 || !std::isfinite(f[x])) continue;
            // Centred moments of the plane f = a + b x + c y through the window's valid points.
            const double cxx = s[2] - s[1] * s[1] / n;
            const double cyy = s[6] - s[5] * s[5] / n;
            const double cxy = s[7] - s[1] * s[5] / n;
            const double cxf = s[4] - s[1] * s[3] / n;
            const double cyf = s[8] - s[5] * s[3] / n;
            const double det = cxx * cyy - cxy * cxy;
            if (!(det > 1e-9 * cxx * cyy)) continue; // the valid points lie on one line
            dx[x] = static_cast<float>((cyy * cxf - cxy * cyf) / det / scaleX);
            dy[x] = static_cast<float>((cxx * cyf - cxy * cxf) / det / scaleY);
        }
    }
    return out;
}

bool IsTensorComponent(StrainComponent component) {
    return static_cast<std::size_t>(component) >= static_cast<std::size_t>(StrainComponent::Exx);
}

std::unique_ptr<TFloatImage> CombineStrain(StrainComponent component, const TFloatImage& ux,
                                           const TFloatImage& uy, const TFloatImage& vx,
                                           const TFloatImage& vy) {
    if (component != StrainComponent::Shear && !IsTensorComponent(component))
        throw std::invalid_argument("CombineStrain: a derivative is not combined");
    CheckSameSize(uy, vx, "Uy", "Vx");
    CheckSameSize(ux, vy, "Ux", "Vy");
    CheckSameSize(ux, vx, "Ux", "Vx");
    auto result = ResultLike(ux);
    const std::size_t n = result->PixelCount();
    if (n == 0 || !ux.Data || !uy.Data || !vx.Data || !vy.Data) return result;
    for (std::size_t i = 0; i < n; ++i) {
        const float a = ux.Data[i], b = uy.Data[i], c = vx.Data[i], d = vy.Data[i];
        result->Data[i] = Missing(a) || Missing(b) || Missing(c) || Missing(d)
                              ? kNotComputedMarker
                              : static_cast<float>(Combine(component, a, b, c, d));
    }
    return result;
}

StrainResult ComputeStrain(const StrainRequest& request, const TFloatImage* u, const TFloatImage* v) {
    if (request.FitWindow != 0) CheckStrainWindow(request.FitWindow);
    const StrainComponent c = request.Component;
    StrainResult result;
    if (c == StrainComponent::Ux || c == StrainComponent::Uy || c == StrainComponent::Vx ||
        c == StrainComponent::Vy) {
        const bool onU = c == StrainComponent::Ux || c == StrainComponent::Uy;
        const bool alongX = c == StrainComponent::Ux || c == StrainComponent::Vx;
        FieldPart part = DifferentiateField(onU ? u : v, onU ? "U" : "V", request);
        result.Map = std::move(alongX ? part.Derivatives.AlongX : part.Derivatives.AlongY);
        if (request.FitWindow != 0) ClearMissing(*part.Mask, *result.Map);
        result.Mask = std::move(part.Mask);
        return result;
    }
    FieldPart fu = DifferentiateField(u, "U", request);
    FieldPart fv = DifferentiateField(v, "V", request);
    if (request.FitWindow == 0 && c == StrainComponent::Shear)
        result.Map = ComputeShearStrain(fu.Derivatives.AlongY.get(), fv.Derivatives.AlongX.get());
    else
        result.Map = CombineStrain(c, *fu.Derivatives.AlongX, *fu.Derivatives.AlongY, *fv.Derivatives.AlongX,
                                   *fv.Derivatives.AlongY);
    AndMask(*fu.Mask, *fv.Mask);
    result.Mask = std::move(fu.Mask);
    return result;
}

StrainResult ComputeStrainFromFiles(const StrainRequest& request, const std::string& uFile,
                                    const std::string& vFile) {
    if (request.FitWindow != 0) CheckStrainWindow(request.FitWindow);
    const StrainComponent c = request.Component;
    // Only the fields the component is made of are read.
    const bool needU = c != StrainComponent::Vx && c != StrainComponent::Vy;
    const bool needV = c != StrainComponent::Ux && c != StrainComponent::Uy;
    const std::unique_ptr<TFloatImage> u = needU ? LoadStrainField(uFile) : nullptr;
    const std::unique_ptr<TFloatImage> v = needV ? LoadStrainField(vFile) : nullptr;
    return ComputeStrain(request, u.get(), v.get());
}

} // namespace corvane
