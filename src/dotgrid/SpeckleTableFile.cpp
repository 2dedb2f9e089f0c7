#include "dotgrid/SpeckleTableFile.h"

#include "dotgrid/TSpeckleStatistics.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"

#include <algorithm>
#include <string>

namespace corvane {

void WriteSpeckleTable(const std::string& fileName, const TSpeckleStatistics& s, TSpeckleOutputType type) {
    AtomicTextFile file(fileName);
    switch (type) {
    case TSpeckleOutputType::SizeXY:
        file.Write("x_size    y_size   how_many\n");
        // Sizes below 0 have no column; none is ever counted there.
        for (std::int32_t h = std::max(s.MinY, 0); h <= s.MaxY; ++h)
            for (std::int32_t w = std::max(s.MinX, 0); w <= s.MaxX; ++w)
                if (const std::int32_t n = s.SizeCount(w, h)) file.Printf("%d    %d    %d \n", w, h, n);
        file.Commit("file open error:Can create out put file(XYHow) ");
        return;
    case TSpeckleOutputType::Area:
        file.Write(" area   how_many\n");
        for (std::int32_t a = 1; a <= s.MaxX * s.MaxY + 1; ++a)
            if (const std::int32_t n = s.AreaCount(a)) file.Printf(" %d    %d \n", a, n);
        file.Commit("file open error:Can create out put file(AreaHow) ");
        return;
    case TSpeckleOutputType::SizeX:
        file.Write("x_size   how_many\n");
        for (std::int32_t w = 1; w <= s.MaxX + 1; ++w) {
            std::int32_t n = 0;
            for (std::int32_t h = 0; h <= s.MaxY + 1; ++h)
                n += s.SizeCount(w, h);
            if (n) file.Printf(" %d    %d\n", w, n);
        }
        file.Commit("file open error:Can create out put file(XHow) ");
        return;
    case TSpeckleOutputType::SizeY:
        file.Write("y_size    how_many\n");
        for (std::int32_t h = 1; h <= s.MaxY + 1; ++h) {
            std::int32_t n = 0;
            for (std::int32_t w = 0; w <= s.MaxX + 1; ++w)
                n += s.SizeCount(w, h);
            if (n) file.Printf(" %d    %d \n", h, n);
        }
        file.Commit("file open error:Can create out put file(YHow) ");
        return;
    }
    throw CorvaneError("unknown speckle table type " + std::to_string(static_cast<int>(type)));
}

} // namespace corvane
