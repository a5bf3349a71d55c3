// The stored settings in the registry.
#pragma once

#include <windows.h>
#include <string>

// A registry accessor for one hive: selector 2 HKEY_CURRENT_USER, 1 HKEY_USERS, any other
// HKEY_LOCAL_MACHINE.
class CReg {
  public:
    explicit CReg(int hive, int wow64 = 0) : wow64_(wow64), hive_(hive) {}

    // The number, or -1 when the key or value is missing or not a REG_DWORD of 4 bytes.
    long get_dword(const char* key, const char* name);
    // The text (REG_SZ or REG_EXPAND_SZ, unexpanded, at least one character) in the
    // object's buffer, or none.
    const char* get_string(const char* key, const char* name);
    // Stores the text as REG_SZ, creating the key; 0 on success, 1 on failure.
    int set_string(const char* key, const char* name, const char* text);

  private:
    HKEY hive() const;
    int wow64_;
    std::string buffer_;
    int hive_;
};

// The settings that CreateControls applies, read through `reg` with their limits and the
// write-backs of the font values.
struct StoredSettings {
    char sep;
    int x, y, width, height;  // -1 each where the stored value does not count
    char face[LF_FACESIZE];
    int font_height;
};
StoredSettings ReadSettings(CReg& reg, const char* key);
