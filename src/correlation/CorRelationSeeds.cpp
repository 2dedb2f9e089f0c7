#include "correlation/CorRelationSeeds.h"

#include <algorithm>

#include "correlation/TCorRelationPara.h"
#include "image/CorvaneError.h"

namespace corvane {

SeedGrid LayOutSeeds(const TCorRelationPara& para, std::int32_t w0, std::int32_t h0, std::int32_t w1,
                     std::int32_t h1) {
    const std::int32_t nc = para.SeedNumX, nr = para.SeedNumY;
    const std::int32_t cw = (para.Right - para.Left + 1) / (2 * nc);
    const std::int32_t ch = (para.Bottom - para.Up + 1) / (2 * nr);
    SeedGrid grid;
    grid.Seeds.resize(static_cast<std::size_t>(nc) * static_cast<std::size_t>(nr));
    grid.Active.assign(grid.Seeds.size(), 1);
    auto at = [&](std::int32_t r, std::int32_t c) -> TCorRelationSeed& {
        return grid.Seeds[static_cast<std::size_t>(r) * nc + c];
    };
    for (std::int32_t r = 0; r < nr; ++r) {
        for (std::int32_t c = 0; c < nc; ++c) {
            TCorRelationSeed& s = at(r, c);
            s.X = (2 * c + 1) * cw + para.Left;
            s.Y = (2 * r + 1) * ch + para.Up;
            s.EstX = s.X + para.SeedDispX;
            s.EstY = s.Y + para.SeedDispY;
            s.Left = std::min(2 * c * cw + para.Left, w1 - 1);
            s.Up = std::min(2 * r * ch + para.Up, h1 - 1);
            s.Right = c == nc - 1 ? para.Right : std::min((2 * c + 2) * cw + para.Left - 1, w1 - 1);
            s.Bottom = r == nr - 1 ? para.Bottom : std::min((2 * r + 2) * ch + para.Up - 1, h1 - 1);
        }
    }

    const std::int32_t mx = para.WinMoveX / 2, my = para.WinMoveY / 2;
    std::int32_t r0 = 0, r1 = nr - 1, c0 = 0, c1 = nc - 1;
    auto remove = [&](std::int32_t r, std::int32_t c) {
        at(r, c) = TCorRelationSeed{};
        grid.Active[static_cast<std::size_t>(r) * nc + c] = 0;
    };
    auto noneLeft = [&] { return r0 > r1 || c0 > c1; };
    while (!noneLeft()) {
        const TCorRelationSeed& first = at(r0, c0);
        const TCorRelationSeed& last = at(r1, c1);
        if (first.X < mx || first.EstX < mx) {
            for (std::int32_t r = r0; r <= r1; ++r) {
                if (c0 < c1) at(r, c0 + 1).Left = at(r, c0).Left;
                remove(r, c0);
            }
            ++c0;
        } else if (first.Y < my || first.EstY < my) {
            for (std::int32_t c = c0; c <= c1; ++c) {
                if (r0 < r1) at(r0 + 1, c).Up = at(r0, c).Up;
                remove(r0, c);
            }
            ++r0;
        } else if (last.X > w0 - 1 - mx || last.EstX > w1 - 1 - mx) {
            for (std::int32_t r = r0; r <= r1; ++r) {
                if (c0 < c1) at(r, c1 - 1).Right = at(r, c1).Right;
                remove(r, c1);
            }
            --c1;
        } else if (last.Y > h0 - 1 - my || last.EstY > h1 - 1 - my) {
            for (std::int32_t c = c0; c <= c1; ++c) {
                if (r0 < r1) at(r1 - 1, c).Bottom = at(r1, c).Bottom;
                remove(r1, c);
            }
            --r1;
        } else {
            break;
        }
    }
    if (noneLeft()) throw CorvaneError(kCheckParameters);
    return grid;
}

} // namespace corvane
