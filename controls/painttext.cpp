#include "controls/painttext.h"

#include <cstring>

#include "core/paths.h"

std::wstring PaintedText(const char* text, int length) {
    if (!text) return std::wstring();
    if (length < 0) length = (int)strlen(text);
    if (length == 0) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide((size_t)n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, length, &wide[0], n);
    return wide;
}

void PaintText(HDC dc, int x, int y, const char* text, int length) {
    std::wstring wide = PaintedText(text, length);
    TextOutW(dc, x, y, wide.c_str(), (int)wide.size());
}

SIZE PaintedSize(HDC dc, const char* text, int length) {
    SIZE size = {};
    std::wstring wide = PaintedText(text, length);
    GetTextExtentPoint32W(dc, wide.c_str(), (int)wide.size(), &size);
    return size;
}

int PaintTextIn(HDC dc, const char* text, RECT* rect, UINT flags) {
    std::wstring wide = PaintedText(text);
    return DrawTextW(dc, wide.c_str(), (int)wide.size(), rect, flags);
}

namespace {

// Every field of the descriptions but the face name is the same in both forms.
template <typename From, typename To> void CopyMetrics(const From& from, To& to) {
    to.lfHeight = from.lfHeight;
    to.lfWidth = from.lfWidth;
    to.lfEscapement = from.lfEscapement;
    to.lfOrientation = from.lfOrientation;
    to.lfWeight = from.lfWeight;
    to.lfItalic = from.lfItalic;
    to.lfUnderline = from.lfUnderline;
    to.lfStrikeOut = from.lfStrikeOut;
    to.lfCharSet = from.lfCharSet;
    to.lfOutPrecision = from.lfOutPrecision;
    to.lfClipPrecision = from.lfClipPrecision;
    to.lfQuality = from.lfQuality;
    to.lfPitchAndFamily = from.lfPitchAndFamily;
}

}  // namespace

HFONT MakeFont(const LOGFONTA& description) {
    LOGFONTW wide = {};
    CopyMetrics(description, wide);
    char face[LF_FACESIZE];
    memcpy(face, description.lfFaceName, LF_FACESIZE);
    face[LF_FACESIZE - 1] = '\0';
    // A face that does not fit the wide description names no font: the system's default is
    // taken, as for an empty face.
    if (!MultiByteToWideChar(CP_ACP, 0, face, -1, wide.lfFaceName, LF_FACESIZE))
        wide.lfFaceName[0] = L'\0';
    return CreateFontIndirectW(&wide);
}

bool DescribeFont(HGDIOBJ font, LOGFONTA* description) {
    *description = LOGFONTA{};
    LOGFONTW wide = {};
    if (!font || GetObjectW(font, sizeof wide, &wide) != (int)sizeof wide) return false;
    CopyMetrics(wide, *description);
    wide.lfFaceName[LF_FACESIZE - 1] = L'\0';
    char face[4 * LF_FACESIZE];
    int n =
        WideCharToMultiByte(CP_ACP, 0, wide.lfFaceName, -1, face, sizeof face, nullptr, nullptr);
    if (n <= 0) return true;
    size_t length = CharacterPrefix(face, (size_t)n - 1, LF_FACESIZE - 1);
    memcpy(description->lfFaceName, face, length);
    description->lfFaceName[length] = '\0';
    return true;
}
