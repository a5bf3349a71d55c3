#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "pages/pages.h"
#include "tests/support/testenv.h"

namespace {

// The page as the shell host would run it, with the platform's text-file line ends.
std::string ExpectedPage() {
    std::string page =
        "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
        "<title>Trelvista Settings</title>\n<style>\n<!--\n"
        "body {background-color:#00f0f0f0;}\n"
        "body {color:#000000; font-family:Verdana, Arial, Helvetica; font-size: 60%;}\n"
        "input{color:#000000; font-family:Verdana, Arial, Helvetica; font-size: 90%;}\n"
        "  th {color:#000000; font-family:Verdana, Arial, Helvetica; font-size: 60%;}\n"
        "  td {color:#000000; font-family:Verdana, Arial, Helvetica; font-size: 60%;}\n"
        "-->\n</style>\n\n"
        "<HTA:APPLICATION ID='1'\n     APPLICATIONNAME='Trelvista Settings'\n"
        "     BORDER='thin'\n     SCROLL='no'\n     SINGLEINSTANCE='yes'\n"
        "     SYSMENU = 'yes'\n>\n</head>\n"
        "<SCRIPT Language='VBScript'>\n"
        "  sub Window_onLoad\n"
        "    on error resume next\n"
        "    window.resizeTo 220,280\n"
        "    set WS = CreateObject (\"WScript.Shell\")\n"
        "    rkey = \"HKCU\\SOFTWARE\\Halvorin\\Trelvista\\\"\n"
        "    skey = rkey + \"xo\"\n    ED_0.Value = WS.RegRead (skey)\n"
        "    skey = rkey + \"yo\"\n    ED_1.Value = WS.RegRead (skey)\n"
        "    skey = rkey + \"xs\"\n    ED_2.Value = WS.RegRead (skey)\n"
        "    skey = rkey + \"ys\"\n    ED_3.Value = WS.RegRead (skey)\n"
        "    skey = rkey + \"fn\"\n    ED_4.Value = WS.RegRead (skey)\n"
        "    skey = rkey + \"fs\"\n    ED_5.Value = WS.RegRead (skey)\n"
        "  end sub\n\n"
        "  sub save ()\n"
        "    on error resume next\n"
        "    set WS = CreateObject (\"WScript.Shell\")\n"
        "    rkey = \"HKCU\\SOFTWARE\\Halvorin\\Trelvista\\\"\n"
        "    skey = rkey + \"xo\"\n    WS.RegWrite skey, ED_0.Value, \"REG_DWORD\"\n"
        "    skey = rkey + \"yo\"\n    WS.RegWrite skey, ED_1.Value, \"REG_DWORD\"\n"
        "    skey = rkey + \"xs\"\n    WS.RegWrite skey, ED_2.Value, \"REG_DWORD\"\n"
        "    skey = rkey + \"ys\"\n    WS.RegWrite skey, ED_3.Value, \"REG_DWORD\"\n"
        "    skey = rkey + \"fn\"\n    WS.RegWrite skey, ED_4.Value, \"REG_SZ\"\n"
        "    skey = rkey + \"fs\"\n    WS.RegWrite skey, ED_5.Value, \"REG_SZ\"\n"
        "    Window.Close ()\n"
        "  end sub\n\n"
        "</SCRIPT>\n\n"
        "<body>\n<b>Position Settings</b>\n<table>\n"
        "  <tr><td>xo: </td><td><input type='text' name='ED_0' size='10'> Position x</td></tr>\n"
        "  <tr><td>yo: </td><td><input type='text' name='ED_1' size='10'> Position y</td></tr>\n"
        "  <tr><td>xs: </td><td><input type='text' name='ED_2' size='10'> Size x</td></tr>\n"
        "  <tr><td>ys: </td><td><input type='text' name='ED_3' size='10'> Size y</td></tr>\n"
        "</table>\n\n<b>Font Settings</b>\n<table>\n"
        "  <tr><td>fn: </td><td><input type='text' name='ED_4' size='10'> Font Name</td></tr>\n"
        "  <tr><td>fs: </td><td><input type='text' name='ED_5' size='10'> Font Size</td></tr>\n"
        "</table>\n\n"
        "\n<p><input type='submit' id='BN_0' value=' OK ' onClick='save ()'>\n"
        "</body>\n</html>\n";
    std::string crlf;
    for (char c : page) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return crlf;
}

}  // namespace

TEST(SettingsPage, IsWrittenExactlyAsTheHostRunsIt) {
    tv::TempTree tree("settings-page");
    std::string path = tree.path("Trelvista.hta");
    WriteSettingsPage(fopen(path.c_str(), "wt"));
    EXPECT_EQ(tv::ReadFile(path), ExpectedPage());
    WriteSettingsPage(nullptr);
}

TEST(SettingsPage, SettingsRewritesThePageInTemp) {
    std::string path = std::string(getenv("TEMP")) + "\\Trelvista.hta";
    for (int run = 0; run < 2; run++) {
        FILE* stale = fopen(path.c_str(), "wb");
        ASSERT_NE(stale, nullptr);
        fputs("stale", stale);
        fclose(stale);
        // A host that cannot show the page (Wine has no program for .hta files) is told.
        tv::DialogPresser told("Trelvista", IDOK, 2000);
        Settings();
        told.wait();
        EXPECT_EQ(tv::ReadFile(path), ExpectedPage()) << "run " << run;
        if (told.pressed()) {
            EXPECT_NE(told.text().find("was not shown: "), std::string::npos) << told.text();
        }
    }
    DeleteFileA(path.c_str());
}
