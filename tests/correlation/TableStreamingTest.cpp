// The displacement tables formatted in blocks on several lanes and streamed to their files: the
// bytes do not depend on the lane count and equal those of the one-thread printf formatter the
// tables were written with before (hashes taken from it), also under a comma-decimal locale; the
// fast fixed-point formatter agrees with printf on ties, negative zero and wide values at the
// widths and decimals the tables and sampled lists use.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "correlation/AvailableCpus.h"
#include "correlation/CorRelationResults.h"
#include "correlation/CorRelationTables.h"
#include "image/CFormat.h"
#include "support/CommaDecimalLocale.h"
#include "support/TestSupport.h"

namespace {

using namespace corvane;

std::uint64_t Fnv(const std::string& text) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

// A 61 x 37 field on grid 2 across and 3 down, scaled differently in x and y, with exact ties of
// the third decimal (k / 16), negative zeros, values just below zero and markers left out.
TCorRelationResult Field(const test::TempDir& dir) {
    TCorRelationResult r;
    TCorRelationPara& p = r.Para;
    p.XYFile = dir.File("xy.dat"), p.ThetaRFile = dir.File("thetar.dat"), p.InfoFile = dir.File("info.inf");
    p.MaskFile = dir.File("none");
    p.Left = 1, p.Up = 2, p.Right = 60, p.Bottom = 36, p.GridX = 2, p.GridY = 3;
    p.OutLeft = 5, p.OutUp = -7;
    p.Amplitude = 20.0f, p.ScaleX = 0.5f, p.ScaleY = 2.0f;
    r.W0 = r.W1 = 61, r.H0 = r.H1 = 37;
    r.dx.resize(61 * 37);
    r.dy.resize(r.dx.size());
    std::mt19937 random(7);
    std::uniform_real_distribution<float> any(-9.0f, 9.0f);
    for (std::size_t i = 0; i < r.dx.size(); ++i) {
        if (i % 5 == 0)
            r.dx[i] = static_cast<float>(static_cast<int>(i % 41) - 20) / 16.0f, r.dy[i] = -0.0f;
        else if (i % 5 == 1)
            r.dx[i] = -0.0004f, r.dy[i] = 0.0625f;
        else if (i % 5 == 2)
            r.dx[i] = kNotComputed, r.dy[i] = 1.0f;
        else
            r.dx[i] = any(random), r.dy[i] = any(random);
    }
    r.Seeds = {{30, 18, 30, 18, 0, 0, 60, 36}};
    return r;
}

TEST(TableStreaming, EveryLaneCountWritesTheBytesOfThePrintfTables) {
    test::TempDir dir;
    const TCorRelationResult r = Field(dir);
    struct Case {
        bool changeY;
        std::uint64_t xy, thetaR;
    };
    // Hashes of the tables as the one-thread printf formatter wrote them.
    for (const Case c : {Case{false, 0x5f04d8c303d5beaeull, 0x6bb6efe3bfa96cfbull},
                         Case{true, 0x860b31f771045b60ull, 0xd7b3eefbfc34114bull}}) {
        const DisplacementTables one = FormatDisplacementTables(r, c.changeY, false, 0.0f, 0.0f, nullptr);
        EXPECT_EQ(Fnv(one.XY), c.xy);
        EXPECT_EQ(Fnv(one.ThetaR), c.thetaR);
        for (int lanes : {1, 2, 3, 8}) {
            WriteResults(r, c.changeY, lanes);
            EXPECT_EQ(test::ReadFileBytes(r.Para.XYFile), one.XY) << lanes;
            EXPECT_EQ(test::ReadFileBytes(r.Para.ThetaRFile), one.ThetaR) << lanes;
        }
    }
    test::CommaDecimalLocale comma;
    if (comma.Active()) {
        WriteResults(r, false, 3);
        EXPECT_EQ(Fnv(test::ReadFileBytes(r.Para.XYFile)), 0x5f04d8c303d5beaeull);
    }
}

TEST(TableStreaming, FixedFormatterAgreesWithPrintf) {
    std::mt19937_64 random(11);
    std::vector<double> values = {0.0,        -0.0,       0.0005,   -0.0005,      0.0015,    2.5e-4,
                                  -2.5e-4,    1e9,        1e30,     -123456.7895, 0.0625,    -0.0625,
                                  1.0 / 1024, 99999.9995, 0.000005, 0.999995,     -0.000004, 99999.999996,
                                  INFINITY,   -INFINITY,  NAN};
    for (int i = 0; i < 20000; ++i) {
        values.push_back(static_cast<float>(static_cast<std::int64_t>(random() % 4000000) - 2000000) /
                         static_cast<double>(1u << (random() % 14)));
        values.push_back(std::uniform_real_distribution<double>(-5000.0, 5000.0)(random));
    }
    for (const double v : values)
        for (const auto& [width, decimals] : {std::pair{6, 3}, {8, 3}, {10, 5}}) {
            std::string fast, reference;
            AppendFixed(fast, v, width, decimals);
            AppendFormatC(reference, "%*.*f", width, decimals, v);
            ASSERT_EQ(fast, reference) << v << " " << decimals;
        }
}

TEST(AvailableCpus, ReadsTheKernelsListsAndQuotas) {
    EXPECT_EQ(CountCpuList("0-3,8,10-11\n"), 7);
    EXPECT_EQ(CountCpuList("5"), 1);
    EXPECT_EQ(CountCpuList(""), 0);
    EXPECT_EQ(CountCpuList("3-1"), 0);
    EXPECT_EQ(QuotaCpus("max 100000"), 0);
    EXPECT_EQ(QuotaCpus("250000 100000"), 3);
    EXPECT_EQ(QuotaCpus("50000 100000"), 1);
    EXPECT_EQ(QuotaCpus("-1 100000"), 0);
    EXPECT_GE(AvailableCpus(), 1);
}

} // namespace
