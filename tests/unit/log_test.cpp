#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "app/log.h"

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
