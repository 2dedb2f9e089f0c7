#include "dotgrid/DotTableFile.h"

#include "image/FileUtil.h"

namespace corvane {

void WriteDotTable(const std::string& fileName, const std::vector<TDotInfo>& dots) {
    AtomicTextFile file(fileName);
    for (std::size_t i = 0; i < dots.size(); ++i)
        file.Printf("%d %.4f %.4f %d\n", static_cast<int>(i), static_cast<double>(dots[i].X),
                    static_cast<double>(dots[i].Y), dots[i].Area);
    file.Commit(fileName + ": can not write the file");
}

} // namespace corvane
