#include "correlation/DisplacementSampling.h"

#include "correlation/CorRelationPool.h"

#include "image/CFormat.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>

namespace corvane {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::string SizeText(std::int32_t width, std::int32_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

/// Direction of the displacement (u, v) in (-pi, pi], as the correlation's theta-r file gives it.
double Theta(double u, double v) {
    if (u != 0.0 && v != 0.0) return std::atan2(v, u);
    if (v == 0.0) return u < 0.0 ? kPi : 0.0;
    return v > 0.0 ? kPi / 2.0 : -kPi / 2.0;
}

const char* HeaderOf(SampleResultType type) {
    switch (type) {
    case SampleResultType::XYDxDy:
        return "  x     y    dx      dy  \n";
    case SampleResultType::XYThetaR:
        return "  x     y    theta    r\n";
    case SampleResultType::XYDx:
        return "  x     y    dx\n";
    case SampleResultType::XYDy:
        return "  x     y    dy\n";
    default:
        return "";
    }
}

/// The table's text. Values are written as printf's "%10.5f" writes them, through AppendFixed,
/// which is several times faster and always uses a '.' decimal point whatever the user's locale.
class TableText {
  public:
    void Write(const char* text) { text_ += text; }
    /// One value as "%10.5f".
    void Fixed(double value) { AppendFixed(text_, value, 10, 5); }
    /// " %10.5f   %10.5f  %10.5f  %10.5f\n"
    void Record(double x, double y, double a, double b) {
        Write(" ");
        Fixed(x);
        Write("   ");
        Fixed(y);
        Write("  ");
        Fixed(a);
        Write("  ");
        Fixed(b);
        Write("\n");
    }
    /// " %10.5f   %10.5f  %10.5f \n"
    void Record(double x, double y, double a) {
        Write(" ");
        Fixed(x);
        Write("   ");
        Fixed(y);
        Write("  ");
        Fixed(a);
        Write(" \n");
    }
    std::string& Text() { return text_; }

  private:
    std::string text_;
};

struct Walk {
    std::int32_t left, top, right, bottom, gx, gy;
};

/// The grid over the range, clipped to the field so that no point outside it is read.
Walk WalkOf(const TFloatImage& u, const SampleOptions& o) {
    Walk w{0, 0, u.Width - 1, u.Height - 1, std::max(o.GridX, 1), std::max(o.GridY, 1)};
    if (o.UseRange) {
        w.left = std::max(o.Range.Left, 0);
        w.top = std::max(o.Range.Top, 0);
        w.right = std::min(o.Range.Right, u.Width - 1);
        w.bottom = std::min(o.Range.Bottom, u.Height - 1);
    }
    return w;
}

std::unique_ptr<TGrayImage> LoadSampleMask(const TFloatImage& u, const std::string& maskFile) {
    if (maskFile.empty() || !FileExists(maskFile)) return nullptr; // a missing mask turns the mask off
    auto mask = std::make_unique<TGrayImage>(maskFile);
    if (mask->Width != u.Width || mask->Height != u.Height)
        throw CorvaneError("The mask picture " + maskFile + " is " + SizeText(mask->Width, mask->Height) +
                           " pixels, not the field's " + SizeText(u.Width, u.Height));
    return mask;
}

/// Rows of the walk, and how many of them make a block of text of about 16384 values.
std::int64_t WalkRows(const Walk& w) {
    return w.bottom >= w.top ? (w.bottom - w.top) / w.gy + 1 : 0;
}
std::int64_t RowsPerBlock(const Walk& w) {
    const std::int64_t columns = w.right >= w.left ? (w.right - w.left) / w.gx + 1 : 1;
    return std::max<std::int64_t>(1, 16384 / columns);
}

/// The records of walk rows [first, last).
void WritePointList(TableText& out, const TFloatImage& u, const TFloatImage& v, const TGrayImage* mask,
                    const Walk& w, const SampleOptions& o, std::int64_t first, std::int64_t last) {
    const std::size_t width = static_cast<std::size_t>(u.Width);
    for (std::int64_t y = w.top + first * w.gy; y <= w.bottom && first < last; y += w.gy, ++first) {
        const std::size_t row = static_cast<std::size_t>(y) * width;
        const float* uRow = u.Data + row;
        const float* vRow = v.Data + row;
        const std::uint8_t* mRow = mask ? mask->Data + row : nullptr;
        const double Y =
            (o.ChangeYaxis ? static_cast<double>(u.Height - y) : static_cast<double>(y)) * o.ScaleY;
        for (std::int64_t x = w.left; x <= w.right; x += w.gx) {
            if (mRow && mRow[x] != 255) continue;
            const float uf = uRow[x], vf = vRow[x];
            if (o.UseInvalidValue && (uf == o.InvalidValue || vf == o.InvalidValue)) continue;
            double du = uf, dv = vf;
            if (o.ScaleDisplacement) {
                du *= o.ScaleX;
                dv *= o.ScaleY;
            }
            const double X = static_cast<double>(x) * o.ScaleX;
            switch (o.Type) {
            case SampleResultType::XYDxDy:
                out.Record(X, Y, du, o.ChangeYaxis ? -dv : dv);
                break;
            case SampleResultType::XYThetaR: {
                const double theta = Theta(du, dv);
                out.Record(X, Y, o.ChangeYaxis ? -theta : theta, std::sqrt(du * du + dv * dv));
                break;
            }
            case SampleResultType::XYDx:
                out.Record(X, Y, du);
                break;
            default:
                out.Record(X, Y, o.ChangeYaxis ? -dv : dv);
                break;
            }
        }
    }
}

/// The matrix rows of walk rows [first, last).
void WriteMatrix(TableText& out, const TFloatImage& u, const TFloatImage& v, const TGrayImage* mask,
                 const Walk& w, const SampleOptions& o, std::int64_t first, std::int64_t last) {
    const bool writeU = o.Type == SampleResultType::MatrixU;
    const std::size_t width = static_cast<std::size_t>(u.Width);
    for (std::int64_t y = w.top + first * w.gy; y <= w.bottom && first < last; y += w.gy, ++first) {
        const std::size_t row = static_cast<std::size_t>(y) * width;
        const float* uRow = u.Data + row;
        const float* vRow = v.Data + row;
        const std::uint8_t* mRow = mask ? mask->Data + row : nullptr;
        out.Write("\n");
        for (std::int64_t x = w.left; x <= w.right; x += w.gx) {
            double du = uRow[x], dv = vRow[x];
            const bool masked = mRow && mRow[x] != 255;
            const bool invalid =
                o.UseInvalidValue && (uRow[x] == o.InvalidValue || vRow[x] == o.InvalidValue);
            if (masked || invalid) du = dv = 0.0;
            if (o.ScaleDisplacement && du != 0.0 && dv != 0.0) {
                du *= o.ScaleX;
                dv *= o.ScaleY;
            }
            // Both components turn with the y axis; the rows keep their order.
            if (o.ChangeYaxis) {
                du = -du;
                dv = -dv;
            }
            out.Fixed(writeU ? du : dv); // "%10.5f  "
            out.Write("  ");
        }
    }
}

/// A table cut into blocks of whole rows: the point list's header opens block 0.
class SampleTable {
  public:
    SampleTable(const TFloatImage* u, const TFloatImage* v, const SampleOptions& options)
        : u_(u), v_(v), o_(options) {
        CheckSampleFields(u, v);
        mask_ = LoadSampleMask(*u, options.MaskFile);
        walk_ = WalkOf(*u, options);
        const int type = static_cast<int>(options.Type);
        if (type < 0 || type > 5) throw CorvaneError("unknown result type " + std::to_string(type));
        rowsPerBlock_ = RowsPerBlock(walk_);
        if (u->Data && v->Data)
            blocks_ = std::max<std::int64_t>(1, (WalkRows(walk_) + rowsPerBlock_ - 1) / rowsPerBlock_);
    }
    std::int64_t Blocks() const { return blocks_; }
    void Format(std::int64_t block, TableText& out) const {
        const std::int64_t first = block * rowsPerBlock_, last = first + rowsPerBlock_;
        if (o_.Type == SampleResultType::MatrixU || o_.Type == SampleResultType::MatrixV) {
            WriteMatrix(out, *u_, *v_, mask_.get(), walk_, o_, first, last);
            return;
        }
        if (block == 0) out.Write(HeaderOf(o_.Type));
        WritePointList(out, *u_, *v_, mask_.get(), walk_, o_, first, last);
    }

  private:
    const TFloatImage* u_;
    const TFloatImage* v_;
    const SampleOptions& o_;
    std::unique_ptr<TGrayImage> mask_;
    Walk walk_{};
    std::int64_t rowsPerBlock_ = 1, blocks_ = 0;
};

} // namespace

void CheckSampleFields(const TFloatImage* u, const TFloatImage* v) {
    if (!u || !v) throw CorvaneError("You should give two Binary Float File at the Input Page");
    if (u->Width != v->Width || u->Height != v->Height)
        throw CorvaneError("The U field is " + SizeText(u->Width, u->Height) + " points and the V field " +
                           SizeText(v->Width, v->Height) + ": both must have the same size");
}

std::string SampleDisplacements(const TFloatImage* u, const TFloatImage* v, const SampleOptions& options) {
    const SampleTable table(u, v, options);
    TableText out;
    for (std::int64_t b = 0; b < table.Blocks(); ++b)
        table.Format(b, out);
    return std::move(out.Text());
}

void SaveDisplacementSamples(const std::string& fileName, const TFloatImage* u, const TFloatImage* v,
                             const SampleOptions& options) {
    const SampleTable table(u, v, options);
    WriteBlocksAtomically(
        fileName, table.Blocks(),
        [&](std::int64_t block, std::string& text) {
            TableText out;
            table.Format(block, out);
            text = std::move(out.Text());
        },
        "Can not output data to " + fileName, CorRelationPool::SharedRunner());
}

void RewriteHeaderScales(TFloatImage& field, float scaleX, float scaleY, float valueScale) {
    const float oldX = field.ScaleX, oldY = field.ScaleY, oldValue = field.ValueScale;
    field.ScaleX = scaleX;
    field.ScaleY = scaleY;
    field.ValueScale = valueScale;
    try {
        field.SaveFlt(field.FileName);
    } catch (...) {
        // The map keeps the scales its file still holds.
        field.ScaleX = oldX;
        field.ScaleY = oldY;
        field.ValueScale = oldValue;
        throw;
    }
}

} // namespace corvane
