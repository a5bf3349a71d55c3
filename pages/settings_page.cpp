#include "pages/pages.h"

#include <windows.h>
#include <shellapi.h>

#include "core/log.h"
#include "core/mcfg.h"
#include "core/tempfile.h"
#include "pages/pagewriter.h"

namespace {

struct Field {
    const char* value;
    const char* label;
};

// The page's six fields in page order; field i is the form's ED_i. The first four are
// numbers (REG_DWORD), the font's two are strings.
const Field kFields[6] = {{"xo", "Position x"}, {"yo", "Position y"}, {"xs", "Size x"},
                          {"ys", "Size y"},     {"fn", "Font Name"},  {"fs", "Font Size"}};

void KeyLine(FILE* out) { fprintf(out, "    rkey = \"HKCU\\%s\\\"\n", settings_key); }

void ValueLine(FILE* out, int i) { fprintf(out, "    skey = rkey + \"%s\"\n", kFields[i].value); }

void FieldRow(FILE* out, int i) {
    fprintf(out, "  <tr><td>%s: </td><td><input type='text' name='ED_%d' size='10'> %s</td></tr>\n",
            kFields[i].value, i, kFields[i].label);
}

}  // namespace

void WriteSettingsPage(FILE* out) {
    if (!out) return;
    PageWriter page;
    page.WritePageHead(out, "Trelvista Settings");

    page.WriteScriptBegin();
    fprintf(out, "  sub Window_onLoad\n");
    fprintf(out, "    on error resume next\n");
    fprintf(out, "    window.resizeTo 220,280\n");
    page.WriteShellObject();
    KeyLine(out);
    for (int i = 0; i < 6; i++) {
        ValueLine(out, i);
        fprintf(out, "    ED_%d.Value = WS.RegRead (skey)\n", i);
    }
    fprintf(out, "  end sub\n\n");

    fprintf(out, "  sub save ()\n");
    fprintf(out, "    on error resume next\n");
    page.WriteShellObject();
    KeyLine(out);
    for (int i = 0; i < 6; i++) {
        ValueLine(out, i);
        fprintf(out, "    WS.RegWrite skey, ED_%d.Value, \"%s\"\n", i,
                i < 4 ? "REG_DWORD" : "REG_SZ");
    }
    fprintf(out, "    Window.Close ()\n");
    fprintf(out, "  end sub\n\n");
    page.WriteScriptEnd();

    fprintf(out, "<body>\n");
    fprintf(out, "<b>Position Settings</b>\n");
    fprintf(out, "<table>\n");
    for (int i = 0; i < 4; i++)
        FieldRow(out, i);
    fprintf(out, "</table>\n\n");
    fprintf(out, "<b>Font Settings</b>\n");
    fprintf(out, "<table>\n");
    for (int i = 4; i < 6; i++)
        FieldRow(out, i);
    fprintf(out, "</table>\n\n");
    fprintf(out, "\n<p><input type='submit' id='BN_0' value=' OK ' onClick='save ()'>\n");

    page.WritePageEnd();
}

void Settings() {
    std::string whole;
    FILE* out = CreatePage("Settings", "Trelvista.hta", &whole);
    const char* path = whole.c_str();
    if (!out) return;
    WriteSettingsPage(out);
    if (ShowPage("Settings", path)) log_line("%s\tSettings () %s OK ...\n", time_stamp(), path);
}
