#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "core/log.h"

TEST(TimeStamp, FormatsYearMonthDayAndTimeWithLeadingZeros) {
    SYSTEMTIME st = {};
    st.wYear = 2026;
    st.wMonth = 12;
    st.wDay = 7;
    st.wHour = 6;
    st.wMinute = 52;
    st.wSecond = 10;
    char out[32];
    format_stamp(out, sizeof out, st);
    EXPECT_STREQ(out, "2026-12-07 06:52:10");
    st.wYear = 999;
    st.wMonth = 1;
    st.wDay = 2;
    st.wHour = 0;
    st.wMinute = 0;
    st.wSecond = 9;
    format_stamp(out, sizeof out, st);
    EXPECT_STREQ(out, "999-01-02 00:00:09");
}

TEST(TimeStamp, MatchesTheLocalClockShape) {
    const char* s = time_stamp();
    ASSERT_EQ(strlen(s), 19u);
    EXPECT_EQ(s[4], '-');
    EXPECT_EQ(s[7], '-');
    EXPECT_EQ(s[10], ' ');
    EXPECT_EQ(s[13], ':');
    EXPECT_EQ(s[16], ':');
}

TEST(TimeStamp, EachThreadKeepsItsOwnStamp) {
    // The stamp returned to one thread must not change when another thread makes one.
    const char* mine = time_stamp();
    std::string before = mine;
    const char* theirs = nullptr;
    std::thread([&] { theirs = time_stamp(); }).join();
    EXPECT_NE(mine, theirs);
    EXPECT_EQ(std::string(mine).substr(0, 10), before.substr(0, 10));
}

#include <cstdlib>

#include "core/mcfg.h"
#include "tests/support/testenv.h"

namespace {

// Points TEMP at `folder` for the test (empty: unset) and restores it afterwards.
class TempVariable {
  public:
    explicit TempVariable(const std::string& folder) {
        const char* old = getenv("TEMP");
        had_ = old != nullptr;
        if (had_) old_ = old;
        _putenv(("TEMP=" + folder).c_str());
    }
    ~TempVariable() { _putenv(("TEMP=" + (had_ ? old_ : std::string())).c_str()); }

  private:
    bool had_ = false;
    std::string old_;
};

}  // namespace

TEST(LogFile, HeaderThenOneStampedLinePerCall) {
    tv::TempTree tree("log");
    {
        TempVariable temp(tree.root());
        log_open(0x1DB10106);  // 6.1, as the platform reports it
    }
    ASSERT_NE(mcfg.log, nullptr);
    log_line("%s\tRead () OK ...\n", time_stamp());
    log_line("%s\tCSHL::shell_job () returned 0x%08x\n", time_stamp(), 0x4c7u);
    fclose(mcfg.log);
    mcfg.log = nullptr;

    std::string text = tv::ReadFile(tree.path("trelvista.log"));
    std::string flat;
    for (char c : text)
        if (c != '\r') flat.push_back(c);
    ASSERT_EQ(flat.rfind("Logfile created by trelvista.exe:\nWindows Version: 6.1\n\n", 0), 0u);
    std::string rest =
        flat.substr(strlen("Logfile created by trelvista.exe:\nWindows Version: 6.1\n\n"));
    size_t first = rest.find('\n');
    ASSERT_NE(first, std::string::npos);
    std::string line1 = rest.substr(0, first), line2 = rest.substr(first + 1);
    EXPECT_EQ(line1.size(), 19 + strlen("\tRead () OK ..."));
    EXPECT_EQ(line1.substr(19), "\tRead () OK ...");
    EXPECT_EQ(line2.substr(19), "\tCSHL::shell_job () returned 0x000004c7\n");
}

TEST(LogFile, WithoutTempNothingIsWritten) {
    {
        TempVariable temp("");
        log_open(0x0106);
    }
    EXPECT_EQ(mcfg.log, nullptr);
    log_line("%s\tRead () OK ...\n", time_stamp());  // must not crash
}

TEST(LogFile, ASecondOpenReplacesTheFile) {
    tv::TempTree tree("log2");
    TempVariable temp(tree.root());
    log_open(0x0106);
    ASSERT_NE(mcfg.log, nullptr);
    log_line("%s\tfirst run\n", time_stamp());
    fclose(mcfg.log);
    log_open(0x0106);
    ASSERT_NE(mcfg.log, nullptr);
    fclose(mcfg.log);
    mcfg.log = nullptr;
    EXPECT_EQ(tv::ReadFile(tree.path("trelvista.log")).find("first run"), std::string::npos);
}
