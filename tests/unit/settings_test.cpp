#include <gtest/gtest.h>

#include "app/settings.h"
#include "tests/support/testenv.h"

namespace {

StoredSettings Read(const tv::TestRegKey& key) {
    CReg reg(2, 0);
    return ReadSettings(reg, key.key());
}

}  // namespace

TEST(Settings, EmptyRegistryGivesDefaultsAndWritesTheFontBack) {
    tv::TestRegKey key("empty");
    StoredSettings s = Read(key);
    EXPECT_EQ(s.sep, '.');
    EXPECT_EQ(s.x, -1);
    EXPECT_EQ(s.y, -1);
    EXPECT_EQ(s.width, -1);
    EXPECT_EQ(s.height, -1);
    EXPECT_STREQ(s.face, "Tahoma");
    EXPECT_EQ(s.font_height, 16);
    EXPECT_EQ(key.get_string("fn"), "Tahoma");
    EXPECT_EQ(key.get_string("fs"), "16");
    // The window values and the separator are never written.
    EXPECT_EQ(key.get_string("xo"), "<missing>");
    EXPECT_EQ(key.get_string("cs"), "<missing>");
}

TEST(Settings, FontHeightIsClampedAndTheLimitWrittenBack) {
    struct Case {
        const char* stored;
        int used;
        const char* written;
    } cases[] = {{"8", 12, "12"},  {"40", 30, "30"}, {"abc", 12, "12"}, {"12", 12, "12"},
                 {"30", 30, "30"}, {"20", 20, "20"}, {"-5", 12, "12"}};
    for (const Case& c : cases) {
        tv::TestRegKey key("fs");
        key.set_string("fn", "Verdana");
        key.set_string("fs", c.stored);
        StoredSettings s = Read(key);
        EXPECT_STREQ(s.face, "Verdana") << c.stored;
        EXPECT_EQ(s.font_height, c.used) << c.stored;
        EXPECT_EQ(key.get_string("fs"), c.written) << c.stored;
    }
}

TEST(Settings, FaceWithoutHeightFallsBackToBothDefaults) {
    tv::TestRegKey key("fnonly");
    key.set_string("fn", "Courier New");
    StoredSettings s = Read(key);
    EXPECT_STREQ(s.face, "Tahoma");
    EXPECT_EQ(s.font_height, 16);
    EXPECT_EQ(key.get_string("fn"), "Tahoma");
    EXPECT_EQ(key.get_string("fs"), "16");
}

TEST(Settings, OverlongFaceNameCountsAsMissing) {
    tv::TestRegKey key("longface");
    std::string longface(40, 'F');
    key.set_string("fn", longface.c_str());
    key.set_string("fs", "14");
    StoredSettings s = Read(key);
    EXPECT_STREQ(s.face, "Tahoma");
    EXPECT_EQ(s.font_height, 16);
    std::string face31(31, 'G');
    key.set_string("fn", face31.c_str());
    key.set_string("fs", "14");
    s = Read(key);
    EXPECT_EQ(std::string(s.face), face31);
    EXPECT_EQ(s.font_height, 14);
}

TEST(Settings, WindowValuesCountOnlyWithinTheirLimits) {
    tv::TestRegKey key("window");
    key.set_dword("xo", 0);
    key.set_dword("yo", (DWORD)-20);
    key.set_dword("xs", 100);
    key.set_dword("ys", 101);
    StoredSettings s = Read(key);
    EXPECT_EQ(s.x, 0);
    EXPECT_EQ(s.y, -1);
    EXPECT_EQ(s.width, -1);
    EXPECT_EQ(s.height, 101);
    key.set_dword("xo", 50000);
    EXPECT_EQ(Read(key).x, 50000);  // no upper limit: off the screen is allowed
}

TEST(Settings, NumbersMustBeFourByteDwords) {
    tv::TestRegKey key("types");
    key.set_string("xo", "120");
    unsigned long long wide = 300;
    key.set_raw("xs", REG_QWORD, &wide, sizeof wide);
    unsigned short two = 400;
    key.set_raw("ys", REG_BINARY, &two, sizeof two);
    StoredSettings s = Read(key);
    EXPECT_EQ(s.x, -1);
    EXPECT_EQ(s.width, -1);
    EXPECT_EQ(s.height, -1);
    CReg reg(2, 0);
    EXPECT_EQ(reg.get_dword(key.key(), "nothing"), -1);
    EXPECT_EQ(reg.get_dword("SOFTWARE\\TrelvistaTests\\no-such-key", "xo"), -1);
}

TEST(Settings, SeparatorMustBeExactlyOneCharacter) {
    tv::TestRegKey key("sep");
    key.set_string("cs", ",");
    EXPECT_EQ(Read(key).sep, ',');
    key.set_string("cs", " ");
    EXPECT_EQ(Read(key).sep, ' ');
    key.set_string("cs", ",,");
    EXPECT_EQ(Read(key).sep, '.');
    key.set_string("cs", "");
    EXPECT_EQ(Read(key).sep, '.');
    key.set_string("cs", ";", REG_EXPAND_SZ);
    EXPECT_EQ(Read(key).sep, ';');
    DWORD number = 44;
    key.set_raw("cs", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(Read(key).sep, '.');
}

TEST(Settings, StringsStopAtTheirStoredSizeAndFirstZero) {
    tv::TestRegKey key("raw");
    // Stored without a terminating zero: read up to the stored size and no further.
    key.set_raw("cs", REG_SZ, "ab", 1);
    CReg reg(2, 0);
    const char* cs = reg.get_string(key.key(), "cs");
    EXPECT_EQ(cs, nullptr);  // one byte is less than the two a text needs
    key.set_raw("fn", REG_SZ, "Arial\0junk", 11);
    const char* fn = reg.get_string(key.key(), "fn");
    ASSERT_NE(fn, nullptr);
    EXPECT_STREQ(fn, "Arial");
    key.set_raw("fs", REG_SZ, "17", 2);
    const char* fs = reg.get_string(key.key(), "fs");
    ASSERT_NE(fs, nullptr);
    EXPECT_STREQ(fs, "17");
}

TEST(Settings, SetStringCreatesTheKey) {
    tv::TestRegKey key("create");
    CReg reg(2, 0);
    EXPECT_EQ(reg.set_string(key.key(), "fn", "Arial"), 0);
    EXPECT_EQ(key.get_string("fn"), "Arial");
}
