#include <gtest/gtest.h>

#include <string>

#include "app/info.h"

TEST(InfoDialog, OrganisationAddressOnlyForItsExactShortName) {
    std::string maker = InfoAddress(nullptr);
    std::string organisation = InfoAddress("QRVL");
    EXPECT_EQ(maker, "http://www.example.org/trelvista");
    EXPECT_EQ(organisation, "http://www.example.org/qrvl");
    EXPECT_EQ(InfoAddress(""), maker);
    EXPECT_EQ(InfoAddress("QRVLX"), maker);
    EXPECT_EQ(InfoAddress("qrvl"), maker);
    EXPECT_EQ(InfoAddress("QRV"), maker);
    EXPECT_EQ(InfoAddress("WORKGROUP"), maker);
}

TEST(InfoDialog, LinkBandIsRows61To79AtAnyColumn) {
    for (int x : {0, 150, 65535}) {
        EXPECT_FALSE(InLinkBand(MAKELPARAM(x, 60))) << x;
        EXPECT_TRUE(InLinkBand(MAKELPARAM(x, 61))) << x;
        EXPECT_TRUE(InLinkBand(MAKELPARAM(x, 79))) << x;
        EXPECT_FALSE(InLinkBand(MAKELPARAM(x, 80))) << x;
    }
    // A position above the dialog reads as a large unsigned number, never as the band.
    EXPECT_FALSE(InLinkBand(MAKELPARAM(10, -10)));
}
