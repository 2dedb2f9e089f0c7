// A day in the lab with the frame: saving a changed picture under a new name and again, and saving
// pictures of kinds the workbench reads but does not write.
#include "support/GreyPictures.h"
#include "support/TiffPngPictures.h"
#include "support/ui/TestMainForm.h"

#include "image/TGrayImage.h"
#include "shell/TMDIChildForm.h"

#include <QtWidgets>

#include <gtest/gtest.h>

using namespace corvane::test;
using Kind = ScriptedDialogs::Kind;
using DayInTheLab = FrameTest;

namespace {

std::unique_ptr<corvane::TGrayImage> Ramp(int width, int height) {
    return MakeGreyPicture(width, height, [](int x, int y) { return (5 * x + 3 * y) % 256; });
}

} // namespace

// Open, paste, Save As, Save: the second save writes the new file, the original stays as it was.
TEST_F(DayInTheLab, SaveAfterSaveAsWritesTheNewFileAndLeavesTheOriginal) {
    const QString original = frame->File("plate.bmp");
    Ramp(40, 30)->SaveBmp(original.toStdString());
    const std::string before = ReadFileBytes(original.toStdString());
    frame->TriggerWithFile("FileOpenAction", original);
    QImage pasted(24, 16, QImage::Format_RGB888);
    pasted.fill(QColor(200, 200, 200));
    QGuiApplication::clipboard()->setImage(pasted);
    frame->Trigger("EditPaste1");

    const QString copy = frame->File("plate-b.bmp");
    frame->TriggerWithFile("FileSaveAsAction", copy);
    corvane::ui::TMDIChildForm& w = frame->Active();
    EXPECT_EQ(w.Caption(), copy);
    EXPECT_EQ(w.windowTitle(), "plate-b.bmp[*]");
    EXPECT_EQ(w.SubWindow()->toolTip(), copy);
    frame->Trigger("InvertAction");
    frame->Trigger("SaveAction");

    EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 1);
    EXPECT_EQ(ReadFileBytes(original.toStdString()), before);
    const corvane::TGrayImage saved(copy.toStdString());
    EXPECT_EQ(saved.Width, 24);
    EXPECT_EQ(saved.GetPixel(23, 15), 55);
    EXPECT_FALSE(w.isWindowModified());
}

// A TIFF or PNG picture is not saved as a RAW file beside it: Save asks for a name, and the message
// names the file written.
TEST_F(DayInTheLab, SaveOfAPictureOfAKindNotWrittenAsksForANameAndNamesTheFileWritten) {
    const SamplePicture picture =
        MakeSamplePicture(20, 10, 8, 1, [](int x, int y, int) { return 10 * x + y; });
    struct Case {
        const char* Name;
        const char* Chosen;
        const char* Written;
    };
    for (const Case& c :
         {Case{"plate.tif", "plate.raw", "plate.raw"}, Case{"plate.png", "copy.dat", "copy.raw"},
          Case{"scan.png", "scan.bmp", "scan.bmp"}}) {
        const QString name = frame->File(c.Name);
        if (QString(c.Name).endsWith(".tif"))
            WriteTiffPicture(name.toStdString(), picture);
        else
            WritePngPicture(name.toStdString(), picture);
        const std::string before = ReadFileBytes(name.toStdString());
        frame->TriggerWithFile("FileOpenAction", name);
        frame->Trigger("InvertAction");
        frame->Dialogs.Clear();
        frame->TriggerWithFile("SaveAction", frame->File(c.Chosen), 3);

        EXPECT_EQ(frame->Dialogs.Count(Kind::SaveFile), 1) << c.Name;
        EXPECT_EQ(ReadFileBytes(name.toStdString()), before) << c.Name;
        const QString written = frame->File(c.Written);
        const bool raw = written.endsWith(".raw");
        const auto saved = raw ? std::make_unique<corvane::TGrayImage>(
                                     corvane::TGrayImage::RawDescription{written.toStdString(), 0, 20, 10})
                               : std::make_unique<corvane::TGrayImage>(written.toStdString());
        EXPECT_EQ(saved->GetPixel(19, 9), 255 - 199) << c.Name;
        const QStringList messages = frame->Dialogs.Informations();
        if (raw) {
            ASSERT_EQ(messages.size(), 1) << c.Name;
            EXPECT_TRUE(messages[0].endsWith("\n" + written)) << messages[0].toStdString();
        } else {
            EXPECT_TRUE(messages.isEmpty()) << c.Name;
        }
        EXPECT_EQ(frame->Active().Caption(), written);
        frame->Trigger("CloseAction");
        ProcessEvents();
    }
    EXPECT_FALSE(QFile::exists(frame->File("scan.raw")));
}
