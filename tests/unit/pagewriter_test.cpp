#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "pages/pagewriter.h"
#include "tests/support/testenv.h"

TEST(PageWriter, WritesTheHeadWithItsColourAndThePiecesInOrder) {
    tv::TempTree tree("pagewriter");
    std::string path = tree.path("page.hta");
    PageWriter page;
    page.background = 0x123456;
    ASSERT_EQ(page.WritePageHead(fopen(path.c_str(), "wt"), "Some Title"), 0);
    page.WriteScriptBegin();
    page.WriteShellObject();
    page.WriteScriptEnd();
    page.WritePageEnd();
    EXPECT_EQ(page.stream, nullptr);
    // After the end the writer holds no stream and writes nothing.
    page.WriteScriptBegin();
    page.WritePageEnd();
    std::string expected =
        "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=utf-8\">\r\n<title>Some Title</title>\r\n<style>\r\n<!--\r\n"
        "body {background-color:#00123456;}\r\n"
        "body {color:#000000; font-family:Verdana, Arial, Helvetica; font-size: 60%;}\r\n"
        "input{color:#000000; font-family:Verdana, Arial, Helvetica; font-size: 90%;}\r\n"
        "  th {color:#000000; font-family:Verdana, Arial, Helvetica; font-size: 60%;}\r\n"
        "  td {color:#000000; font-family:Verdana, Arial, Helvetica; font-size: 60%;}\r\n"
        "-->\r\n</style>\r\n\r\n"
        "<HTA:APPLICATION ID='1'\r\n     APPLICATIONNAME='Some Title'\r\n"
        "     BORDER='thin'\r\n     SCROLL='no'\r\n     SINGLEINSTANCE='yes'\r\n"
        "     SYSMENU = 'yes'\r\n>\r\n</head>\r\n"
        "<SCRIPT Language='VBScript'>\r\n"
        "    set WS = CreateObject (\"WScript.Shell\")\r\n"
        "</SCRIPT>\r\n\r\n"
        "</body>\r\n</html>\r\n";
    EXPECT_EQ(tv::ReadFile(path), expected);
}

TEST(PageWriter, ANullStreamWritesNothingAndDoesNotFail) {
    PageWriter page;
    EXPECT_EQ(page.background, 0xF0F0F0u);
    EXPECT_EQ(page.WritePageHead(nullptr, "x"), 0);
    page.WriteScriptBegin();
    page.WriteShellObject();
    page.WriteScriptEnd();
    page.WritePageEnd();
    EXPECT_EQ(page.stream, nullptr);
}
