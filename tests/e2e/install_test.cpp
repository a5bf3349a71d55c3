// The installer as a user runs it: msiexec installs the package for the user alone, the
// installed program starts from its new folder, and the uninstall takes away everything the
// install put there.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <string>

#include "core/com.h"
#include "tests/e2e/program.h"
#include "tests/support/testenv.h"

namespace {

using tv::Exists;

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// Runs msiexec with `arguments` and waits for it: its exit code, or -1 when it could not be
// started or had not ended after two minutes.
long Msiexec(const std::string& arguments) {
    std::string command = "msiexec " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return -1;
    long code = -1;
    DWORD exit_code = 0;
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(pi.hProcess, &exit_code))
        code = (long)exit_code;
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

std::string RegText(HKEY key, const char* name) {
    char text[1024] = {};
    DWORD size = sizeof text - 1;
    if (RegQueryValueExA(key, name, nullptr, nullptr, (BYTE*)text, &size) != ERROR_SUCCESS)
        return "";
    return text;
}

// Trelvista's entry in Apps & features: the uninstall key named "Trelvista", in the user's
// hive or the machine's (Wine files a per-user package under the machine's); `key` is empty
// when there is none.
struct UninstallEntry {
    std::string key, publisher, version, location, command;
};
UninstallEntry FindUninstallEntry() {
    const char* uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    UninstallEntry entry;
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY list;
        if (RegOpenKeyExA(hive, uninstall, 0, KEY_READ | KEY_WOW64_64KEY, &list) != ERROR_SUCCESS)
            continue;
        char name[256];
        for (DWORD i = 0;; i++) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(list, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            HKEY product;
            if (RegOpenKeyExA(list, name, 0, KEY_READ, &product) != ERROR_SUCCESS) continue;
            if (RegText(product, "DisplayName") == "Trelvista") {
                entry = {name, RegText(product, "Publisher"), RegText(product, "DisplayVersion"),
                         RegText(product, "InstallLocation"), RegText(product, "UninstallString")};
            }
            RegCloseKey(product);
        }
        RegCloseKey(list);
    }
    return entry;
}

// One string of a file's version resource (its US English block); "" when it has none.
std::string VersionText(const std::string& file, const char* name) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    if (size == 0) return "";
    std::string block(size, '\0');
    if (!GetFileVersionInfoA(file.c_str(), 0, size, &block[0])) return "";
    std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(&block[0], query.c_str(), (void**)&value, &length) || !value) return "";
    return value;
}

// The file a shortcut starts; "" when it cannot be read.
std::string ShortcutTarget(const std::string& link) {
    ComScope com;
    ComPtr<IShellLinkA> shell_link;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)shell_link.out())) ||
        FAILED(shell_link->QueryInterface(IID_IPersistFile, (void**)file.out())))
        return "";
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    char target[MAX_PATH] = {};
    if (FAILED(file->Load(wide, STGM_READ)) ||
        FAILED(shell_link->GetPath(target, MAX_PATH, nullptr, 0)))
        return "";
    return target;
}

bool SameText(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

}  // namespace

TEST(Installer, InstallsForTheUserStartsTheProgramAndUninstallsWithoutATrace) {
#ifndef TRELVISTA_MSI_NAME
    GTEST_SKIP() << "This build made no installer: wixl was not found when it was configured.";
#else
    char msi_path[MAX_PATH] = {};
    GetFullPathNameA((tv::ExeFolder() + "\\..\\dist\\" TRELVISTA_MSI_NAME).c_str(), MAX_PATH,
                     msi_path, nullptr);
    const std::string msi = msi_path;
    ASSERT_TRUE(Exists(msi)) << msi;
    const std::string programs = SpecialFolder(CSIDL_LOCAL_APPDATA) + "\\Programs";
    const std::string folder = programs + "\\Trelvista";
    const std::string exe = folder + "\\trelvista.exe";
    const std::string shortcut = SpecialFolder(CSIDL_PROGRAMS) + "\\Trelvista.lnk";
    const bool had_programs = Exists(programs);

    // The package goes again however the test ends, so that no other test meets it.
    struct Uninstall {
        std::string msi;
        bool done = false;
        ~Uninstall() {
            if (!done) Msiexec("/x \"" + msi + "\" /qn");
        }
    } uninstall{msi};
    ASSERT_EQ(Msiexec("/i \"" + msi + "\" /qn"), 0);

    // The program, its readme and licence in the user's programs folder, as they were built.
    std::string built = tv::ReadFile(tv::ExeFolder() + "\\trelvista.exe");
    ASSERT_FALSE(built.empty());
    EXPECT_TRUE(tv::ReadFile(exe) == built) << exe;
    EXPECT_TRUE(Exists(folder + "\\README.md"));
    EXPECT_TRUE(Exists(folder + "\\LICENSE"));
    EXPECT_EQ(VersionText(exe, "ProductName"), "Trelvista");
    EXPECT_EQ(VersionText(exe, "CompanyName"), "Halvorin");
    EXPECT_EQ(VersionText(exe, "FileVersion"), TRELVISTA_VERSION);
    EXPECT_EQ(VersionText(exe, "ProductVersion"), TRELVISTA_VERSION);
    EXPECT_EQ(VersionText(exe, "OriginalFilename"), "trelvista.exe");

    // The Start menu's shortcut starts it, and Apps & features lists it with its uninstall.
    EXPECT_TRUE(SameText(ShortcutTarget(shortcut), exe)) << ShortcutTarget(shortcut);
    UninstallEntry entry = FindUninstallEntry();
    EXPECT_EQ(entry.key.size(), 38u) << entry.key;  // the product code, "{...}"
    EXPECT_EQ(entry.publisher, "Halvorin");
    EXPECT_EQ(entry.version, TRELVISTA_VERSION);
    EXPECT_TRUE(SameText(entry.location, folder + "\\")) << entry.location;
    EXPECT_TRUE(SameText(entry.command, "MsiExec.exe /X" + entry.key)) << entry.command;

    {
        tv::TempTree tree("installed");
        tv::Program program(exe, tree.root(), 0);
        ASSERT_TRUE(program.started);
        HWND main = program.ready();
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_TRUE(program.ended(20000));
        DWORD code = 1;
        GetExitCodeProcess(program.pi.hProcess, &code);
        EXPECT_EQ(code, 0u);
    }

    uninstall.done = true;
    ASSERT_EQ(Msiexec("/x \"" + msi + "\" /qn"), 0);
    EXPECT_FALSE(Exists(exe));
    EXPECT_FALSE(Exists(folder));
    EXPECT_EQ(Exists(programs), had_programs);
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_EQ(FindUninstallEntry().key, "");
    HKEY key;
    LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvorin\\Trelvista\\Installer", 0,
                                KEY_READ, &key);
    if (opened == ERROR_SUCCESS) RegCloseKey(key);
    EXPECT_NE(opened, ERROR_SUCCESS) << "the installer's registry values are still there";
#endif
}
