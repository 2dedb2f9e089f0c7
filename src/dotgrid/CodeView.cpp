// What the encoding commands show: the dots left out of the net, every dot's code, the picked
// dot; and the edits of the codes (new origin, indices typed in).
#include "dotgrid/TDotGridEncoder.h"

#include "dotgrid/TPixelCanvas.h"
#include "image/CorvaneError.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace corvane {

namespace {

/// Records the pixels a fill erases as 255 in a mask of the picture's size.
class MaskCanvas final : public TPixelCanvas {
  public:
    explicit MaskCanvas(TGrayImage& mask) : mask_(mask) {}
    void PaintGrey(std::int32_t x, std::int32_t y, std::uint8_t) override {
        mask_.Data[static_cast<std::size_t>(y) * static_cast<std::size_t>(mask_.Width) +
                   static_cast<std::size_t>(x)] = 255;
    }
    void DrawImage(const TGrayImage&) override {}

  private:
    TGrayImage& mask_;
};

} // namespace

TCodeView TDotGridEncoder::PlainView() const {
    TCodeView view;
    view.Picture = std::make_unique<TGrayImage>(nullptr, WorkImage->Width, WorkImage->Height);
    if (WorkImage->Size > 0)
        std::memcpy(view.Picture->Data, WorkImage->Data, static_cast<std::size_t>(WorkImage->Size));
    view.Red = std::make_unique<TGrayImage>(nullptr, WorkImage->Width, WorkImage->Height);
    return view;
}

TDotLabel TDotGridEncoder::LabelOf(std::int32_t k) const {
    const TDotInfo& dot = FDotInfo[static_cast<std::size_t>(k)];
    char text[96];
    if (dot.Coded)
        std::snprintf(text, sizeof text, "%d(%d,%d)", k, dot.Nx, dot.Ny);
    else
        std::snprintf(text, sizeof text, "%d(%5.2f,%5.2f)", k, static_cast<double>(dot.X),
                      static_cast<double>(dot.Y));
    return {k, static_cast<std::int32_t>(dot.X), static_cast<std::int32_t>(dot.Y), text, dot.X, dot.Y};
}

void TDotGridEncoder::FillMarking(std::int32_t x, std::int32_t y, TGrayImage* mask) {
    Area = 0;
    SumWX = SumWY = SumW = 0;
    if (x < 0 || y < 0 || x >= WorkImage->Width || y >= WorkImage->Height) return;
    if (!mask) {
        FillAt(x, y);
        return;
    }
    MaskCanvas recorder(*mask);
    fill_.SetCanvas(&recorder);
    const TComponentStats s = fill_.Fill(x, y);
    fill_.SetCanvas(nullptr);
    Area = s.Area;
    SumWX = s.SumWX;
    SumWY = s.SumWY;
    SumW = s.SumW;
}

bool TDotGridEncoder::MarkUncoded(TCodeView* view) {
    UncodedCount = 0;
    if (view) {
        *view = PlainView();
        SaveBackup();
    }
    for (std::int32_t k = 0; k < FDotSum; ++k) {
        const TDotInfo& dot = FDotInfo[static_cast<std::size_t>(k)];
        if (dot.Neted) continue;
        ++UncodedCount;
        if (!view) continue;
        FillMarking(static_cast<std::int32_t>(dot.X), static_cast<std::int32_t>(dot.Y), view->Red.get());
        view->Labels.push_back(LabelOf(k));
    }
    if (view) RestoreBackup();
    return UncodedCount > 0;
}

TCodeView TDotGridEncoder::ShowCodes() {
    TCodeView view;
    MarkUncoded(&view);
    view.Labels.clear();
    for (std::int32_t k = 0; k < FDotSum; ++k)
        view.Labels.push_back(LabelOf(k));
    return view;
}

TCodeView TDotGridEncoder::MoveOrigin(std::int32_t k) {
    if (k < 0 || k >= FDotSum || !FDotInfo[static_cast<std::size_t>(k)].Coded)
        throw CorvaneError("this grid are not encoded, Encode this grid first !");
    const std::int32_t nx0 = FDotInfo[static_cast<std::size_t>(k)].Nx,
                       ny0 = FDotInfo[static_cast<std::size_t>(k)].Ny;
    for (std::int32_t j = 0; j < FDotSum; ++j) {
        TDotInfo& dot = FDotInfo[static_cast<std::size_t>(j)];
        if (!dot.Coded) continue;
        dot.Nx -= nx0;
        dot.Ny -= ny0;
    }
    return ShowCodes();
}

TCodeView TDotGridEncoder::ModifyCoordinate(std::int32_t nx, std::int32_t ny, bool neted) {
    if (Selected >= 0 && Selected < FDotSum) {
        TDotInfo& dot = FDotInfo[static_cast<std::size_t>(Selected)];
        dot.Nx = nx;
        dot.Ny = ny;
        dot.Coded = true;
        dot.Neted = neted;
    }
    return ShowCodes();
}

bool TDotGridEncoder::Pick(std::int32_t x, std::int32_t y, TCodeView* view) {
    if (x < 0 || y < 0 || x >= WorkImage->Width || y >= WorkImage->Height) return false;
    const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(WorkImage->Width) +
                           static_cast<std::size_t>(x);
    if (WorkImage->Data[at] == Background) {
        Selected = -1;
        if (view) *view = PlainView();
        return true;
    }
    // The centroid of the component under the mouse, computed as the dot table computed it.
    TGrayImage mask(nullptr, WorkImage->Width, WorkImage->Height);
    SaveBackup();
    FillMarking(x, y, &mask);
    RestoreBackup();
    const float cx = WeightedCentre(SumWX, SumW);
    const float cy = WeightedCentre(SumWY, SumW);
    std::int32_t found = -1;
    for (std::int32_t k = 0; k < FDotSum && found < 0; ++k) {
        const TDotInfo& dot = FDotInfo[static_cast<std::size_t>(k)];
        if (std::fabs(dot.X - cx) <= 0.01f && std::fabs(dot.Y - cy) <= 0.01f) found = k;
    }
    if (found < 0 || found == Selected) return false;
    Selected = found;
    if (view) {
        *view = PlainView();
        if (Highlight) std::memcpy(view->Red->Data, mask.Data, static_cast<std::size_t>(mask.Size));
        view->Labels.push_back(LabelOf(found));
    }
    return true;
}

bool TDotGridEncoder::SelectDot(std::int32_t k, TCodeView* view) {
    if (k < 0 || k >= FDotSum) return false;
    const TDotInfo& dot = FDotInfo[static_cast<std::size_t>(k)];
    const auto x = static_cast<std::int32_t>(dot.X), y = static_cast<std::int32_t>(dot.Y);
    const bool inside = x >= 0 && y >= 0 && x < WorkImage->Width && y < WorkImage->Height;
    if (!inside || WorkImage->Data[static_cast<std::size_t>(y) * static_cast<std::size_t>(WorkImage->Width) +
                                   static_cast<std::size_t>(x)] == Background) {
        Selected = -1;
        if (view) *view = PlainView();
        return true;
    }
    if (k == Selected) return false;
    Selected = k;
    if (view) {
        *view = PlainView();
        SaveBackup();
        FillMarking(x, y, Highlight ? view->Red.get() : nullptr);
        RestoreBackup();
        view->Labels.push_back(LabelOf(k));
    }
    return true;
}

} // namespace corvane
