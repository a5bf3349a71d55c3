#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/picture.h"
#include "tests/support/picture_file.h"
#include "tests/support/testenv.h"

namespace {

std::vector<unsigned char> Png(unsigned w, unsigned h) {
    std::vector<unsigned char> b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A,
                                    0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    for (unsigned v : {w, h})
        for (int s = 24; s >= 0; s -= 8)
            b.push_back((unsigned char)(v >> s));
    b.insert(b.end(), {8, 0, 0, 0, 0});
    return b;
}

}  // namespace

TEST(PictureSize, ReadsTheHeadersOfTheFourKinds) {
    int w = 0, h = 0;
    std::vector<unsigned char> png = Png(1000, 500);
    ASSERT_TRUE(PictureSizeFromBytes(png.data(), png.size(), &w, &h));
    EXPECT_EQ(w, 1000);
    EXPECT_EQ(h, 500);
    const unsigned char gif[] = {'G', 'I', 'F', '8', '9', 'a', 0x40, 0x01, 0xF0, 0x00, 0};
    ASSERT_TRUE(PictureSizeFromBytes(gif, sizeof gif, &w, &h));
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    unsigned char bmp[54] = {'B', 'M'};
    bmp[14] = 40;
    bmp[18] = 0x20;                                                  // 32 wide
    bmp[22] = 0xF0, bmp[23] = 0xFF, bmp[24] = 0xFF, bmp[25] = 0xFF;  // -16: top-down
    ASSERT_TRUE(PictureSizeFromBytes(bmp, sizeof bmp, &w, &h));
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 16);
    // A JPEG: an APP0 segment, then a baseline frame of 6000 by 4000.
    const unsigned char jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 'J',  'F',  0xFF, 0xC0, 0x00,
                                  0x11, 0x08, 0x0F, 0xA0, 0x17, 0x70, 0x03, 0x01, 0x22, 0x00};
    ASSERT_TRUE(PictureSizeFromBytes(jpeg, sizeof jpeg, &w, &h));
    EXPECT_EQ(w, 6000);
    EXPECT_EQ(h, 4000);
    // Truncated or unknown: no size.
    EXPECT_FALSE(PictureSizeFromBytes(png.data(), 20, &w, &h));
    EXPECT_FALSE(PictureSizeFromBytes(jpeg, 12, &w, &h));
    const unsigned char text[] = "just some text here";
    EXPECT_FALSE(PictureSizeFromBytes(text, sizeof text, &w, &h));
    std::vector<unsigned char> zero = Png(0, 10);
    EXPECT_FALSE(PictureSizeFromBytes(zero.data(), zero.size(), &w, &h));
}

TEST(PictureSize, ReadsAJpegFrameBehindLargeMetadataFromTheFile) {
    tv::TempTree tree("picsize");
    std::string bytes = {'\xFF', '\xD8', '\xFF', '\xE1', '\xFF', '\xF0'};  // a 65,520-byte APP1
    bytes += std::string(65518, 'x');
    bytes += std::string("\xFF\xC2\x00\x11\x08\x01\x2C\x00\xC8\x03", 10);  // progressive, 200x300
    std::string path = tree.file("big-exif.jpg", bytes);
    int w = 0, h = 0;
    ASSERT_TRUE(PictureSize(path.c_str(), &w, &h));
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 300);
    std::vector<unsigned char> png = Png(30000, 30000);
    std::string crafted = tree.file("crafted.png", std::string(png.begin(), png.end()) + "IDAT");
    ASSERT_TRUE(PictureSize(crafted.c_str(), &w, &h));
    EXPECT_FALSE(WithinDecodeBudget(w, h));
    EXPECT_TRUE(WithinDecodeBudget(6000, 4000));
    EXPECT_FALSE(PictureSize(tree.path("missing.png").c_str(), &w, &h));
}

TEST(FitPreview, StepsDownByTenUntilThePictureFits) {
    int w = 0, h = 0;
    // The worked example: a 300-pixel list pane with the chart top at 300.
    EXPECT_EQ(FitPreview(1000, 500, 300 - 20, 300 - 20, &w, &h), 1);
    EXPECT_EQ(w, 280);
    EXPECT_EQ(h, 140);
    // A tall picture is held by the height limit less 20.
    EXPECT_EQ(FitPreview(400, 1000, 500, 300, &w, &h), 1);
    EXPECT_LE(h, 280);
    EXPECT_EQ(w % 10, 0);
    // Smaller than the area: no step, its own size.
    EXPECT_EQ(FitPreview(100, 50, 280, 280, &w, &h), 0);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    // No area, or no picture: nothing is requested.
    EXPECT_EQ(FitPreview(1000, 500, 0, 300, &w, &h), -1);
    EXPECT_EQ(FitPreview(1000, 500, 280, 20, &w, &h), -1);
    EXPECT_EQ(FitPreview(1000, 500, -40, -40, &w, &h), -1);
    EXPECT_EQ(FitPreview(0, 0, 280, 280, &w, &h), -1);
    // So thin that no width gives a height of a pixel.
    EXPECT_EQ(FitPreview(9000, 5, 280, 280, &w, &h), -1);
}

TEST(FitWithin, KeepsTheProportionsAndNeverEnlarges) {
    int w = 0, h = 0;
    FitWithin(640, 480, 200, 150, &w, &h);
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 150);
    FitWithin(6000, 4000, 280, 280, &w, &h);
    EXPECT_EQ(w, 280);
    EXPECT_EQ(h, 187);
    FitWithin(100, 50, 10000, 10000, &w, &h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    FitWithin(10, 5000, 100, 100, &w, &h);
    EXPECT_EQ(h, 100);
    EXPECT_EQ(w, 1) << "never below one pixel";
}

TEST(PlacePreview, CentresWhatIsSmallerThanTheArea) {
    PreviewPlace p = PlacePreview(300, 300, 300, 280, 140);
    EXPECT_EQ(p.x, 312);
    EXPECT_EQ(p.y, 305 + (300 - 140 - 20) / 2);
    p = PlacePreview(300, 300, 300, 100, 50);
    EXPECT_EQ(p.x, 312 + (300 - 100 - 20) / 2);
    p = PlacePreview(10, 100, 100, 500, 500);
    EXPECT_EQ(p.x, 22);
    EXPECT_EQ(p.y, 105);
}

TEST(GifFrames, TheFirstFrameMustLieOnTheScreenAndIsCutOutAlone) {
    GifFrame frame = {};
    std::vector<unsigned char> fits = tv::CraftedGif(10, 10, {{10, 10}, {4000, 4000}});
    ASSERT_TRUE(GifFirstFrame(fits.data(), fits.size(), &frame));
    EXPECT_EQ(frame.width, 10);
    std::vector<unsigned char> first;
    ASSERT_TRUE(GifFirstFrameOnly(fits, &first, &frame));
    EXPECT_EQ(first.size(), frame.end + 1);
    EXPECT_EQ(first.back(), 0x3B) << "closed after the first frame";

    // A frame larger than its screen, a file cut inside the frame, no GIF at all.
    std::vector<unsigned char> huge = tv::CraftedGif(10, 10, {{20000, 20000}});
    EXPECT_FALSE(GifFirstFrame(huge.data(), huge.size(), &frame));
    EXPECT_FALSE(GifFirstFrame(fits.data(), 30, &frame));
    EXPECT_FALSE(GifFirstFrame(fits.data() + 1, fits.size() - 1, &frame));
}
