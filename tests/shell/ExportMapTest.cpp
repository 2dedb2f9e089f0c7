// File > Export Map... on a float map window writes the file `corvane-cli export` writes; on a
// picture it says why nothing was written.
#include <gtest/gtest.h>

#include "image/MapExport.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "support/FloatMaps.h"
#include "support/ui/TestMainForm.h"

namespace {

using namespace corvane::test;

class ExportMap : public FrameTest {
  protected:
    void TearDown() override { frame->Destroy(); }
};

TEST_F(ExportMap, FloatWindowIsExportedAndAPictureIsRefused) {
    const auto map = MakeFloatMap(7, 5, [](int x, int y) { return x == 6 && y == 4 ? 1000.0 : 0.5 * x - y; });
    map->SaveFlt(frame->Dir.File("m.flt"));
    frame->TriggerWithFile("FloatFileOpenAction", frame->File("m.flt"), 2);
    for (const char* name : {"m.npy", "m.csv", "m.tif"}) {
        frame->TriggerWithFile("ExportMapAction", frame->File(name));
        ASSERT_EQ(frame->LastError(), QString()) << name;
        const std::string direct = frame->Dir.File(std::string("direct_") + name);
        corvane::ExportFloatMap(*map, direct);
        EXPECT_EQ(ReadFileBytes(frame->Dir.File(name)), ReadFileBytes(direct)) << name;
    }

    frame->Form->ShowInRole(QStringLiteral("Generate Fringe"), corvane::TGrayImage(nullptr, 4, 4));
    frame->Trigger("ExportMapAction");
    EXPECT_TRUE(frame->LastError().startsWith(QStringLiteral("Export Map saves a float map")));
    EXPECT_EQ(frame->Dialogs.Count(ScriptedDialogs::Kind::SaveFile), 3);
}

} // namespace
