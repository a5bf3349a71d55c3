#include <gtest/gtest.h>

#include <string>

#include "browse/status.h"

namespace {

// A folder view with nothing special: no scan, no preview, not the drive view.
StatusInput FolderView() {
    StatusInput in = {};
    in.path = "C:\\Data";
    in.image_w = in.image_h = -1;
    in.sep = '.';
    return in;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}
bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

TEST(StatusLine, ScanShowsThePathWithOneMoreDotEachTickAndWrapsAfterThree) {
    StatusInput in = FolderView();
    in.scanning = true;
    const char* expected[4] = {"Reading size: C:\\Data", "Reading size: C:\\Data .",
                               "Reading size: C:\\Data ..", "Reading size: C:\\Data ..."};
    for (unsigned tick = 0; tick < 9; tick++) {
        in.ticks = tick;
        EXPECT_EQ(ComposeStatus(in).left, expected[tick & 3]) << tick;
    }
    in.ticks = 0xFFFFFFFFu;  // the tick counter wraps without a wrong text
    EXPECT_EQ(ComposeStatus(in).left, expected[3]);

    in.scanning = false;
    in.ticks = 3;
    EXPECT_EQ(ComposeStatus(in).left, "");
}

TEST(StatusLine, ScanTextKeepsALongPathWholeAndCopesWithNone) {
    StatusInput in = FolderView();
    in.scanning = true;
    std::string path = "C:";
    while (path.size() < 259)
        path += "\\d";
    path.resize(259);
    in.path = path.c_str();
    in.ticks = 2;
    EXPECT_EQ(ComposeStatus(in).left, "Reading size: " + path + " ..");
    in.path = nullptr;
    EXPECT_EQ(ComposeStatus(in).left, "Reading size:  ..");
}

TEST(StatusLine, CountsLineCountsLinkedFoldersAsFilesAndShowsTheSelection) {
    StatusInput in = FolderView();
    // 3 folders, 1 linked folder and 10 files: 14 entries of which 3 are folders.
    in.folders = 3;
    in.count = 14;
    in.selected = 2;
    std::string right = ComposeStatus(in).right;
    EXPECT_TRUE(StartsWith(right, "Folders: 3  Files: 11  Size: ")) << right;
    EXPECT_TRUE(EndsWith(right, "  Selected: 2")) << right;

    in = FolderView();
    right = ComposeStatus(in).right;
    EXPECT_TRUE(StartsWith(right, "Folders: 0  Files: 0  Size: ")) << right;
    EXPECT_TRUE(EndsWith(right, "  Selected: 0")) << right;

    // The counts stay on show while a scan runs.
    in.scanning = true;
    EXPECT_TRUE(StartsWith(ComposeStatus(in).right, "Folders: 0"));
}

// Needs FormatSize: the status line shows the total in the automatic unit.
TEST(StatusLine, CountsLineShowsTheScannedTotalInTheAutomaticUnit) {
    StatusInput in = FolderView();
    EXPECT_EQ(ComposeStatus(in).right, "Folders: 0  Files: 0  Size: 0 B  Selected: 0");
    in.folders = 3;
    in.count = 14;
    in.selected = 2;
    in.size = 1048575;
    EXPECT_EQ(ComposeStatus(in).right, "Folders: 3  Files: 11  Size: 1.024 KB  Selected: 2");
    in.sep = ',';
    EXPECT_EQ(ComposeStatus(in).right, "Folders: 3  Files: 11  Size: 1,024 KB  Selected: 2");
}

TEST(StatusLine, ALongOperationHasTheWholeLine) {
    StatusInput in = FolderView();
    in.scanning = true;
    in.folders = 3;
    in.busy = "Copying 1 item (5 MB of 9 MB) to C:\\Data ...";
    EXPECT_EQ(ComposeStatus(in).left, in.busy);
    EXPECT_EQ(ComposeStatus(in).right, "");
}

TEST(StatusLine, DriveViewLeavesTheRightEndEmpty) {
    StatusInput in = FolderView();
    in.drives_mode = true;
    in.folders = 4;
    in.count = 9;
    EXPECT_EQ(ComposeStatus(in).right, "");
    EXPECT_EQ(ComposeStatus(in).left, "");
}

TEST(StatusLine, PreviewShowsTheImageSizeOnlyWhenBothAreKnown) {
    StatusInput in = FolderView();
    in.preview = true;
    in.folders = 1;
    in.count = 5;
    in.image_w = 640;
    in.image_h = 480;
    EXPECT_EQ(ComposeStatus(in).right, "640 x 480");
    in.image_w = in.image_h = 0;
    EXPECT_EQ(ComposeStatus(in).right, "0 x 0");
    in.image_w = 640;
    in.image_h = -1;
    EXPECT_EQ(ComposeStatus(in).right, "");
    in.image_w = in.image_h = -1;
    EXPECT_EQ(ComposeStatus(in).right, "");
}

TEST(StatusLine, PaintClearsTheBottomStripAndTheRightPane) {
    StatusAreas a = ComputeStatusAreas(1000, 600, 300, 307, false, false, 0);
    EXPECT_EQ(a.strip.left, 0);
    EXPECT_EQ(a.strip.top, 568);
    EXPECT_EQ(a.strip.right, 1000);
    EXPECT_EQ(a.strip.bottom, 600);
    EXPECT_EQ(a.pane.left, 300);
    EXPECT_EQ(a.pane.top, 0);
    EXPECT_EQ(a.pane.right, 1000);
    EXPECT_EQ(a.pane.bottom, 600);

    // In preview mode the pane begins under the list.
    EXPECT_EQ(ComputeStatusAreas(1000, 600, 300, 307, true, false, 7).pane.top, 307);

    // While a scan runs the pane shrinks to its bottom 16 pixels except on every tenth tick.
    EXPECT_EQ(ComputeStatusAreas(1000, 600, 300, 307, false, true, 0).pane.top, 0);
    EXPECT_EQ(ComputeStatusAreas(1000, 600, 300, 307, false, true, 3).pane.top, 584);
    EXPECT_EQ(ComputeStatusAreas(1000, 600, 300, 307, false, true, 20).pane.top, 0);
    EXPECT_EQ(ComputeStatusAreas(1000, 600, 300, 307, true, true, 11).pane.top, 584);
    EXPECT_EQ(ComputeStatusAreas(1000, 600, 300, 307, true, true, 10).pane.top, 307);
    // So does it, always, while a long operation runs.
    EXPECT_EQ(ComputeStatusAreas(1000, 600, 300, 307, false, false, 0, 96, true).pane.top, 584);
    EXPECT_EQ(ComputeStatusAreas(1000, 600, 300, 307, false, true, 10, 96, true).pane.top, 584);
}

TEST(StatusLine, ASearchShowsTheFolderItSearchesAndTheCountFound) {
    StatusInput in = FolderView();
    in.finding = true;
    in.searching = "C:\\Data\\Sub";
    in.found = 12;
    in.ticks = 2;
    EXPECT_EQ(ComposeStatus(in).left, "Searching: C:\\Data\\Sub (12 found) ..");
    in.searching = nullptr;
    EXPECT_EQ(ComposeStatus(in).left, "Searching:  (12 found) ..");
}

TEST(StatusLine, CountsThatDoNotFitLeaveOutWholeFieldsAndANoteComesFirst) {
    StatusInput in = FolderView();
    in.folders = 2;
    in.count = 5;
    StatusTexts texts = ComposeStatus(in);
    ASSERT_EQ(texts.fields.size(), 4u);
    // Seven pixels a character, as a plain stand-in for a font.
    TextWidth width = [](const std::string& text) { return (int)text.size() * 7; };
    int whole = width(texts.right);
    StatusLine line = {100, 100 + whole, 50};
    EXPECT_EQ(FitStatus(texts, line, 10, width).counts, texts.right);
    for (int room : {whole - 1, whole / 2, 30, 0}) {
        std::string counts = FitFields(texts.fields, room, width);
        EXPECT_LE(width(counts), room) << room;
        EXPECT_TRUE(StartsWith(texts.right, counts)) << counts;
        // Whole fields only: what is shown ends where a field ends.
        EXPECT_TRUE(counts.empty() || texts.right.size() == counts.size() ||
                    texts.right.compare(counts.size(), 2, "  ") == 0)
            << counts;
    }
    EXPECT_EQ(FitFields(texts.fields, width("Folders: 2") + 20, width), "Folders: 2");

    // A note takes its width first; the counts get what is left beside it, and the note ends
    // before them.
    texts.left = "Reading: C:\\Data (120 entries) ..";
    line.right = line.left + width(texts.left) + 10 + width("Folders: 2  Files: 3");
    StatusFit paint = FitStatus(texts, line, 10, width);
    EXPECT_EQ(paint.counts, "Folders: 2  Files: 3");
    EXPECT_EQ(paint.note_right, line.right - width(paint.counts) - 10);
    EXPECT_GE(paint.note_right, line.left + width(texts.left));
    // A note wider than the line has it all.
    line.right = line.left + width(texts.left) - 1;
    paint = FitStatus(texts, line, 10, width);
    EXPECT_EQ(paint.counts, "");
    EXPECT_EQ(paint.note_right, line.right);
}
