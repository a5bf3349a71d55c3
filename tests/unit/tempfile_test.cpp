#include <gtest/gtest.h>

#include <windows.h>
#include <cstdlib>
#include <string>

#include "core/tempfile.h"

TEST(TempFilePath, UsesTempElseThePlatformFolderAndNeverOverruns) {
    const char* saved = getenv("TEMP");
    std::string temp = saved ? saved : "";
    char out[MAX_PATH];
    _putenv_s("TEMP", "C:\\some\\temp");
    ASSERT_TRUE(TempFilePath("find.txt", out, sizeof out));
    EXPECT_STREQ(out, "C:\\some\\temp\\find.txt");
    // A path that would not fit gives none rather than a cut one.
    char small[20];
    EXPECT_FALSE(TempFilePath("find.txt", small, sizeof small));
    EXPECT_STREQ(small, "");
    _putenv_s("TEMP", std::string(300, 't').c_str());
    EXPECT_FALSE(TempFilePath("find.txt", out, sizeof out));
    // Without TEMP: the platform's temporary folder, joined with one backslash.
    _putenv_s("TEMP", "");
    char platform[MAX_PATH];
    GetTempPathA(sizeof platform, platform);
    ASSERT_TRUE(TempFilePath("find.txt", out, sizeof out));
    EXPECT_EQ(std::string(out), std::string(platform) + "find.txt");
    _putenv_s("TEMP", temp.c_str());
}
