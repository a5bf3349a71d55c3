#include <gtest/gtest.h>

#include <windows.h>
#include <string>
#include <vector>

#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "app/window.h"
#include "browse/status.h"
#include "res/resource.h"
#include "core/picture.h"
#include "scan/view.h"
#include "tests/support/app_fixture.h"
#include "tests/support/picture_file.h"

namespace {

class PreviewTest : public tv::AppTest {
  protected:
    void PaintNow() {
        InvalidateRect(mwin.hwnd, nullptr, TRUE);
        UpdateWindow(mwin.hwnd);
        tv::PumpMessages(true);
    }
    std::string StatusRight() {
        StatusInput in = {false,
                          0,
                          "",
                          mcfg.preview != 0,
                          mcfg.drives_mode != 0,
                          mcfg.image_w,
                          mcfg.image_h,
                          panel.folders,
                          panel.count,
                          panel.selected,
                          mcfg.size,
                          mcfg.sep};
        return ComposeStatus(in).right;
    }
    tv::TempTree tree_{"preview"};
};

}  // namespace

TEST_F(PreviewTest, ShowsTheSelectedPictureInItsColoursAtItsPlaceOncePerSelection) {
    ASSERT_TRUE(tv::WritePicture(tree_.path("green.png"), 120, 60, 0x00C000, false));
    tree_.dir("Folder");
    StartApp(tree_.root().c_str());
    SendCommand(CMD_PREVIEW);
    ASSERT_TRUE(mcfg.preview);
    tv::SelectRows({tv::RowOf("green.png")});
    PaintNow();
    EXPECT_EQ(mcfg.image_w, 120);
    EXPECT_EQ(mcfg.image_h, 60);
    EXPECT_EQ(StatusRight(), "120 x 60");

    int fw = 0, fh = 0;
    ASSERT_GE(FitPreview(120, 60, mcfg.list_width - 20, mcfg.chart_top - 20, &fw, &fh), 0);
    PreviewPlace at = PlacePreview(mcfg.tree_width, mcfg.list_width, mcfg.chart_top, fw, fh);
    int width = 0, height = 0;
    std::vector<unsigned> shot = tv::CaptureClient(mwin.hwnd, width, height);
    ASSERT_LT(at.y + fh / 2, height);
    EXPECT_EQ(shot[(size_t)(at.y + fh / 2) * width + at.x + fw / 2], 0x00C000u);
    EXPECT_EQ(shot[(size_t)(at.y + 1) * width + at.x + 1], 0x00C000u);

    // A repaint of the same selection loads nothing.
    int loaders = tv::CountEntries("CImg::CImg () OK");
    PaintNow();
    PaintNow();
    EXPECT_EQ(tv::CountEntries("CImg::CImg () OK"), loaders);
    EXPECT_GE(tv::CountEntries("xs = "), 3);

    // A folder: nothing drawn, no size on the status line.
    tv::SelectRows({tv::RowOf("Folder")});
    PaintNow();
    EXPECT_EQ(mcfg.image_w, -1);
    EXPECT_EQ(StatusRight(), "");

    // A find result, whose folder the results keep apart from its name.
    ASSERT_TRUE(tv::WritePicture(tree_.path("Folder\\deep.png"), 30, 20, 0x0000C0, false));
    mcby.SetText("deep");
    ASSERT_TRUE(tv::FindAndWait());
    ASSERT_EQ(mcfg.find_mode, 1);
    tv::SelectRows({0});
    PaintNow();
    EXPECT_EQ(mcfg.image_w, 30);
}

TEST_F(PreviewTest, ThePreviewTurnedOnInTheSizeModeShowsAtOnce) {
    // Both modes give the list half the height: no control moves, and the pane under the list
    // must still change from the chart to the picture.
    ASSERT_TRUE(tv::WritePicture(tree_.path("green.png"), 120, 60, 0x00C000, false));
    tree_.file("Folder\\data.bin", std::string(5000, 'd'));
    StartApp(tree_.root().c_str());
    SendCommand(CMD_READ_SIZE);
    ASSERT_TRUE(Until([] { return mcfg.scanning == 0 && mcfg.sort_column == 1; }));
    tv::SelectRows({tv::RowOf("green.png")});
    tv::PumpMessages(true);
    SendCommand(CMD_PREVIEW);
    EXPECT_TRUE(Until([] { return mcfg.image_w == 120; }, 3000)) << mcfg.image_w;
}

TEST_F(PreviewTest, APictureTooLargeToDecodeShowsItsSizeAndNothingElse) {
    std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) +
                      std::string("\0\0\x75\x30\0\0\x75\x30\x08\0\0\0\0", 13) + "IDATxxxx";
    tree_.file("huge.png", png);
    tree_.file("notes.txt", "no picture");
    StartApp(tree_.root().c_str());
    SendCommand(CMD_PREVIEW);
    tv::SelectRows({tv::RowOf("huge.png")});
    PaintNow();
    EXPECT_EQ(mcfg.image_w, 30000);
    EXPECT_EQ(mcfg.image_h, 30000);
    EXPECT_EQ(tv::CountEntries("CImg::CImg () OK"), 0) << "a decoder was asked";
    tv::SelectRows({tv::RowOf("notes.txt")});
    PaintNow();
    EXPECT_EQ(mcfg.image_w, -1);
    EXPECT_EQ(StatusRight(), "");
    // A file that is no picture is tried once, not at every paint.
    int loaders = tv::CountEntries("CImg::CImg () OK");
    PaintNow();
    PaintNow();
    EXPECT_EQ(tv::CountEntries("CImg::CImg () OK"), loaders);
}

TEST_F(PreviewTest, AGifIsJudgedByItsFirstFrameAndARefusedOneIsNotTriedAgain) {
    auto write = [&](const char* name, const std::vector<unsigned char>& bytes) {
        tree_.file(name, std::string(bytes.begin(), bytes.end()));
    };
    // "a-huge.gif" is the folder's first row: a 10 x 10 screen with a 20000 x 20000 frame.
    write("a-huge.gif", tv::CraftedGif(10, 10, {{20000, 20000}}));
    write("b-frames.gif",
          tv::CraftedGif(400, 300, std::vector<std::pair<int, int>>(60, {400, 300}), true));
    tree_.file("c.txt", "no picture");
    StartApp(tree_.root().c_str());
    SendCommand(CMD_PREVIEW);
    tv::SelectRows({tv::RowOf("a-huge.gif")});
    PaintNow();
    EXPECT_EQ(tv::CountEntries("CImg::load_img (" + tree_.root() + "\\a-huge.gif) refused"), 1);
    EXPECT_EQ(tv::CountEntries("CImg::WIC ("), 0) << "a decoder was asked";

    // Many frames: the first one alone is shown.
    tv::SelectRows({tv::RowOf("b-frames.gif")});
    PaintNow();
    EXPECT_EQ(mcfg.image_w, 400);
    EXPECT_EQ(mcfg.image_h, 300);
    EXPECT_EQ(tv::CountEntries("CImg::WIC (" + tree_.root() + "\\b-frames.gif) OK"), 1);

    // Back on the refused row, and on it after a repaint: it is not loaded again.
    for (const char* row : {"c.txt", "a-huge.gif", "c.txt", "a-huge.gif"}) {
        tv::SelectRows({tv::RowOf(row)});
        PaintNow();
    }
    EXPECT_EQ(tv::CountEntries("CImg::load_img (" + tree_.root() + "\\a-huge.gif) refused"), 1);
}
