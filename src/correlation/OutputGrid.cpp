#include "correlation/OutputGrid.h"

#include <algorithm>

namespace corvane {

OutputGrid OutputGridOf(const TCorRelationPara& p) {
    OutputGrid g;
    g.Left = p.Left;
    g.Up = p.Up;
    g.StepX = std::max(p.GridX, 1);
    g.StepY = std::max(p.GridY, 1);
    g.Columns = p.Right < p.Left ? 0 : (p.Right - p.Left) / g.StepX + 1;
    g.Rows = p.Bottom < p.Up ? 0 : (p.Bottom - p.Up) / g.StepY + 1;
    return g;
}

bool ComputesGridOnly(const TCorRelationPara& p) {
    return p.GridOnly == 1 && p.FastCompute != 1 && (p.GridX > 1 || p.GridY > 1);
}

MapLayout MapLayoutOf(const TCorRelationPara& p, bool fast, std::int32_t w0, std::int32_t h0) {
    MapLayout m;
    m.Width = w0;
    m.Height = h0;
    if (fast || !ComputesGridOnly(p)) return m;
    m.StepX = std::max(p.GridX, 1);
    m.StepY = std::max(p.GridY, 1);
    m.X0 = std::max(p.Left, 0) % m.StepX;
    m.Y0 = std::max(p.Up, 0) % m.StepY;
    m.Width = w0 > m.X0 ? (w0 - 1 - m.X0) / m.StepX + 1 : 0;
    m.Height = h0 > m.Y0 ? (h0 - 1 - m.Y0) / m.StepY + 1 : 0;
    return m;
}

std::vector<float> OnMapLayout(const std::vector<float>& values, std::int32_t w0, const MapLayout& m) {
    std::vector<float> map(static_cast<std::size_t>(m.Width) * static_cast<std::size_t>(m.Height));
    float* out = map.data();
    for (std::int32_t j = 0; j < m.Height; ++j) {
        const float* row = values.data() + static_cast<std::size_t>(m.Y0 + j * m.StepY) * w0 + m.X0;
        for (std::int32_t i = 0; i < m.Width; ++i)
            *out++ = row[static_cast<std::size_t>(i) * m.StepX];
    }
    return map;
}

} // namespace corvane
