#include <gtest/gtest.h>

#include <windows.h>
#include <cstdio>
#include <string>

#include "core/mcfg.h"
#include "scan/cimg.h"
#include "tests/support/testenv.h"

namespace {

SIZE SizeOf(HBITMAP bitmap) {
    BITMAP b = {};
    GetObjectA(bitmap, sizeof b, &b);
    return {b.bmWidth, b.bmHeight};
}

COLORREF PixelAt(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

class Loader : public ::testing::Test {
  protected:
    void SetUp() override {
        log_path_ = tree_.path("log.txt");
        mcfg.log = fopen(log_path_.c_str(), "wt");
    }
    void TearDown() override {
        if (mcfg.log) fclose(mcfg.log);
        mcfg.log = nullptr;
    }
    std::string Log() {
        fflush(mcfg.log);
        return tv::ReadFile(log_path_);
    }
    int Count(const std::string& text) {
        std::string log = Log();
        int n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            n++;
        return n;
    }
    tv::TempTree tree_{"cimg"};
    std::string log_path_;
};

}  // namespace

TEST_F(Loader, DecodesPngAndJpegFittedKeepingTheirColours) {
    ASSERT_TRUE(tv::WritePicture(tree_.path("red.png"), 640, 480, 0xFF0000, false));
    ASSERT_TRUE(tv::WritePicture(tree_.path("blue.jpg"), 300, 600, 0x0000FF, true));
    CImg loader(mcfg.log);
    loader.load_img(tree_.root().c_str(), "red.png", 200, 150);
    ASSERT_NE(loader.bitmap.get(), nullptr) << Log();
    SIZE s = SizeOf(loader.bitmap.get());
    EXPECT_EQ(s.cx, 200);
    EXPECT_EQ(s.cy, 150);
    EXPECT_EQ(PixelAt(loader.bitmap.get(), 100, 75), RGB(255, 0, 0));
    // A second load leaves the second bitmap: never larger than the picture itself.
    loader.load_img(tree_.root().c_str(), "blue.jpg", 10000, 10000);
    ASSERT_NE(loader.bitmap.get(), nullptr) << Log();
    s = SizeOf(loader.bitmap.get());
    EXPECT_EQ(s.cx, 300);
    EXPECT_EQ(s.cy, 600);
    COLORREF c = PixelAt(loader.bitmap.get(), 150, 300);
    EXPECT_LE(GetRValue(c), 8);
    EXPECT_GE(GetBValue(c), 240);
    EXPECT_EQ(Count("CImg::img_load (" + tree_.root() + "\\red.png) GO ..."), 1);
    EXPECT_GE(Count("\tCImg::CImg () OK"), 1);
}

TEST_F(Loader, FailuresLogTheirStepAndLeaveNoBitmap) {
    CImg loader(mcfg.log);
    std::string missing = tree_.path("no such folder");
    loader.load_img(missing.c_str(), "a.png", 100, 100);
    EXPECT_EQ(loader.bitmap.get(), nullptr);
    EXPECT_EQ(Count("CImg::ParseDisplayName (" + missing + ") failed: 0x"), 1);

    loader.load_img(tree_.root().c_str(), "absent.png", 100, 100);
    EXPECT_EQ(loader.bitmap.get(), nullptr);
    EXPECT_EQ(Count("CImg::ParseDisplayName (absent.png) failed: 0x"), 1);

    // Not a picture, and a picture cut short: no bitmap, a log line, no dialog.
    tree_.file("notes.png", "these are notes, not pixels");
    loader.load_img(tree_.root().c_str(), "notes.png", 100, 100);
    EXPECT_EQ(loader.bitmap.get(), nullptr);
    ASSERT_TRUE(tv::WritePicture(tree_.path("whole.png"), 64, 64, 0x00FF00, false));
    std::string whole = tv::ReadFile(tree_.path("whole.png"));
    tree_.file("cut.png", whole.substr(0, whole.size() / 2));
    loader.load_img(tree_.root().c_str(), "cut.png", 100, 100);
    EXPECT_EQ(loader.bitmap.get(), nullptr);
    EXPECT_GE(Count("failed: 0x"), 3);
    EXPECT_EQ(FindWindowA("#32770", nullptr), nullptr);
}

TEST_F(Loader, APictureOverTheBudgetIsRefusedFromItsHeader) {
    // A PNG that declares 30000 by 30000 pixels: never handed to a decoder.
    std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) +
                      std::string("\0\0\x75\x30\0\0\x75\x30\x08\0\0\0\0", 13) + "IDATxxxx";
    tree_.file("huge.png", png);
    CImg loader(mcfg.log);
    loader.load_img(tree_.root().c_str(), "huge.png", 280, 280);
    EXPECT_EQ(loader.bitmap.get(), nullptr);
    EXPECT_EQ(Count("CImg::load_img (" + tree_.root() + "\\huge.png) refused: 30000 x 30000"), 1);
    EXPECT_EQ(Count("CImg::WIC"), 0);
}

TEST_F(Loader, ALoaderWithoutALogWritesNothingAndStillLoads) {
    ASSERT_TRUE(tv::WritePicture(tree_.path("g.png"), 20, 10, 0x00FF00, false));
    std::string before = Log();
    {
        CImg loader(nullptr);
        loader.load_img(tree_.root().c_str(), "g.png", 100, 100);
        ASSERT_NE(loader.bitmap.get(), nullptr);
        EXPECT_EQ(SizeOf(loader.bitmap.get()).cx, 20);
    }
    EXPECT_EQ(Log(), before);
}
