#include "app/settings.h"

#include <cstdlib>
#include <cstring>

#include "core/handles.h"

HKEY CReg::hive() const {
    if (hive_ == 2) return HKEY_CURRENT_USER;
    if (hive_ == 1) return HKEY_USERS;
    return HKEY_LOCAL_MACHINE;
}

long CReg::get_dword(const char* key, const char* name) {
    RegKey handle;
    REGSAM access = KEY_READ | (wow64_ ? KEY_WOW64_64KEY : 0);
    if (RegOpenKeyExA(hive(), key, 0, access, handle.out()) != ERROR_SUCCESS) return -1;
    long result = -1;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(handle.get(), name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == 4) {
        DWORD value = 0;
        if (RegQueryValueExA(handle.get(), name, nullptr, &type, (BYTE*)&value, &size) == ERROR_SUCCESS &&
            type == REG_DWORD && size == 4)
            result = (long)(int)value;
    }
    return result;
}

const char* CReg::get_string(const char* key, const char* name) {
    RegKey handle;
    REGSAM access = KEY_READ | (wow64_ ? KEY_WOW64_64KEY : 0);
    if (RegOpenKeyExA(hive(), key, 0, access, handle.out()) != ERROR_SUCCESS) return nullptr;
    const char* result = nullptr;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(handle.get(), name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size >= 2) {
        // One byte more than stored, so a value written without its terminating zero still
        // ends inside the buffer; the text is taken up to its first zero byte.
        std::string data(size + 1, '\0');
        DWORD got = size;
        if (RegQueryValueExA(handle.get(), name, nullptr, &type, (BYTE*)&data[0], &got) ==
                ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ) && got <= size) {
            data.resize(strnlen(data.data(), got));
            buffer_ = data;
            result = buffer_.c_str();
        }
    }
    return result;
}

int CReg::set_string(const char* key, const char* name, const char* text) {
    RegKey handle;
    if (RegCreateKeyA(hive(), key, handle.out()) != ERROR_SUCCESS) return 1;
    LONG status =
        RegSetValueExA(handle.get(), name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1);
    return status == ERROR_SUCCESS ? 0 : 1;
}

StoredSettings ReadSettings(CReg& reg, const char* key) {
    StoredSettings s = {};
    const char* cs = reg.get_string(key, "cs");
    s.sep = (cs && strlen(cs) == 1) ? cs[0] : '.';

    long xo = reg.get_dword(key, "xo"), yo = reg.get_dword(key, "yo");
    long xs = reg.get_dword(key, "xs"), ys = reg.get_dword(key, "ys");
    s.x = xo >= 0 ? (int)xo : -1;
    s.y = yo >= 0 ? (int)yo : -1;
    s.width = xs > 100 ? (int)xs : -1;
    s.height = ys > 100 ? (int)ys : -1;

    // The face name must fit the font description (31 characters); a longer one cannot
    // name a font and counts as missing, like an absent value.
    std::string face;
    const char* fn = reg.get_string(key, "fn");
    if (fn && strlen(fn) < LF_FACESIZE) face = fn;
    const char* fs = reg.get_string(key, "fs");
    if (!face.empty() && fs) {
        s.font_height = atoi(fs);
    } else {
        face = "Tahoma";
        s.font_height = 16;
        reg.set_string(key, "fn", "Tahoma");
        reg.set_string(key, "fs", "16");
    }
    lstrcpynA(s.face, face.c_str(), LF_FACESIZE);
    if (s.font_height < 12) {
        s.font_height = 12;
        reg.set_string(key, "fs", "12");
    } else if (s.font_height > 30) {
        s.font_height = 30;
        reg.set_string(key, "fs", "30");
    }
    return s;
}
