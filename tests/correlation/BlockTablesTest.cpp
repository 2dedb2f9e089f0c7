// Text tables written in blocks of rows on the pool: a field tall enough for several blocks, with
// different steps across and down and a range ending short of the last row, gives printf's bytes
// in row order.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "correlation/CorRelationPool.h"
#include "correlation/DisplacementSampling.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using namespace test;

std::string Printf(const char* format, double a, double b, double c) {
    char line[128];
    std::snprintf(line, sizeof line, format, a, b, c);
    return line;
}

TEST(BlockTables, SamplesAndPhaseListsOfManyBlocksArePrintfsRowsInOrder) {
    const int w = 50, h = 1500; // 17 columns: 963 rows a block; 25 columns: 655 rows a block
    const auto u = MakeFloatMap(w, h, [](int x, int y) { return 0.25 * x - 0.001 * y; });
    const auto v = MakeFloatMap(w, h, [](int x, int y) { return -0.5 + 0.003 * x * y; });
    SampleOptions o;
    o.Type = SampleResultType::XYDx;
    o.GridX = 3, o.GridY = 1;
    std::string want = "  x     y    dx\n";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; x += 3)
            want += Printf(" %10.5f   %10.5f  %10.5f \n", x, y, u->Data[y * w + x]);
    TempDir dir;
    SaveDisplacementSamples(dir.File("dx.txt"), u.get(), v.get(), o);
    EXPECT_EQ(ReadFileBytes(dir.File("dx.txt")), want);

    v->ScaleX = 0.5f, v->ScaleY = 2.0f;
    want.clear();
    for (int y = 3; y <= 1402; ++y)
        for (int x = 1; x < w; x += 2)
            want += Printf(" %15.8f  %15.8f  %15.8f \n", x * 0.5, y * 2.0, v->Data[y * w + x]);
    v->Output3DDat(dir.File("v.dat"), "", 1, 3, w - 1, 1402, 2, 1, CorRelationPool::SharedRunner());
    EXPECT_EQ(ReadFileBytes(dir.File("v.dat")), want);
}

} // namespace
} // namespace corvane
