// Dot-grid code files: read, write the same header, rows and picture name, and read that back; the
// writer prints centroids with three decimals, so the written form must come back unchanged.
#include "FuzzCheck.h"
#include "dotgrid/CodeFile.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name = "fuzz.cod";
    std::vector<TCodeRow> rows;
    TCodeFile first;
    try {
        first = ParseCodeFile(data, size, name, &rows);
    } catch (const CorvaneError&) {
        return 0; // the code file's messages do not all start with the name
    }
    fuzz::Check(rows.size() == static_cast<std::size_t>(first.Count) && first.Dots.size() == rows.size());
    const std::string written = CodeFileText(first, rows);
    std::vector<TCodeRow> rowsBack;
    const TCodeFile second =
        ParseCodeFile(reinterpret_cast<const std::uint8_t*>(written.data()), written.size(), name, &rowsBack);
    fuzz::Check(second.Count == first.Count && second.ImageName == first.ImageName);
    for (std::size_t k = 0; k < rows.size(); ++k)
        fuzz::Check(rowsBack[k].Nx == rows[k].Nx && rowsBack[k].Ny == rows[k].Ny &&
                    rowsBack[k].Area == rows[k].Area && rowsBack[k].Number == rows[k].Number);
    fuzz::Check(CodeFileText(second, rowsBack) == written);
    return 0;
}
