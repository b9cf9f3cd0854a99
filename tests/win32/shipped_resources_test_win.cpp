// What Zelcap.exe carries for Windows itself: the manifest (common controls
// 6, DPI awareness) and the Japanese version resource, which must agree with
// the title and the version dialog. This test program embeds the same
// resources, so the manifest's effects are checked on this very process.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/main_window_win.h"
#include "base/file_io_win.h"
#include "resources/resource_ids.h"
#include "tests/win32/support/main_window_fixture.h"

using testsupport::DialogAnswerer;

namespace {

std::string ZelcapExe() {
    const char* build = std::getenv("ZELCAP_BUILD");
    return std::string(build ? build : ".") + "\\Zelcap.exe";
}

std::string ManifestOf(const std::string& module) {
    HMODULE image = LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!image)
        return "";
    std::string text;
    if (HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
        text.assign(bytes, SizeofResource(image, found));
    }
    FreeLibrary(image);
    return text;
}

// The program reads no environment variable, neither its own (the step
// benchmark's log is a benchmark build's) nor through a library it links:
// no function that reads one is imported, nor the benchmark's name carried.
TEST(ShippedProgram, ReadsNoEnvironmentVariable) {
    std::string exe;
    ASSERT_TRUE(win::ReadWholeFile(ZelcapExe().c_str(), exe, 64 << 20)) << ZelcapExe();
    ASSERT_NE(exe.find("CreateFileA"), std::string::npos);  // the import names are there
    for (const char* name : {"ZELCAP_STEP_TIMING", "getenv", "GetEnvironmentVariable"})
        EXPECT_EQ(exe.find(name), std::string::npos) << name;
}

TEST(ShippedManifest, AsksForCommonControls6DpiAwarenessAndNoElevation) {
    const std::string manifest = ManifestOf(ZelcapExe());
    ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST resource 1 in " << ZelcapExe();
    for (const char* wanted :
         {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "level=\"asInvoker\"",
          ">PerMonitorV2, PerMonitor</dpiAwareness>", ">true/pm</dpiAware>",
          "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
          "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(manifest.find(wanted), std::string::npos) << wanted;
}

// The loader reads the manifest at process start: comctl32 must come from
// the side-by-side assembly of version 6, not from the system folder.
// Wine 8's comctl32 answers DllGetVersion with 5.81 from both places, so
// there the assembly the loader picked is what tells the versions apart.
TEST(ShippedManifest, LoadsCommonControlsVersion6) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&init));
    HMODULE comctl = GetModuleHandleA("comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(comctl, path, sizeof path);
    CharLowerA(path);
    EXPECT_NE(std::string(path).find("\\winsxs\\"), std::string::npos) << path;
    EXPECT_NE(std::string(path).find("common-controls_6595b64144ccf1df_6."), std::string::npos)
        << path;

    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
    ASSERT_NE(getVersion, nullptr);
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    ASSERT_EQ(getVersion(&info), S_OK);
    const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    if (wine) {
        std::printf("note: Wine's comctl32 %lu.%lu loaded from %s\n", info.dwMajorVersion,
                    info.dwMinorVersion, path);
    } else {
        EXPECT_EQ(info.dwMajorVersion, 6u);
    }
}

// Captures are taken in physical pixels only when the process is DPI aware.
TEST(ShippedManifest, MakesTheProcessDpiAware) {
    EXPECT_TRUE(IsProcessDPIAware());
}

struct VersionBlock {
    std::string data;
    std::string text(const char* name) const {
        void* value = nullptr;
        UINT size = 0;
        const std::string key = std::string("\\StringFileInfo\\041103a4\\") + name;
        if (!VerQueryValueA(data.data(), key.c_str(), &value, &size) || size == 0)
            return "<missing>";
        return static_cast<const char*>(value);
    }
};

VersionBlock ReadVersion(const std::string& file) {
    VersionBlock block;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0)
        return block;
    block.data.resize(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data.data()))
        block.data.clear();
    return block;
}

TEST(ShippedVersion, HasAJapaneseBlockThatMatchesTheTitle) {
    VersionBlock version = ReadVersion(ZelcapExe());
    ASSERT_FALSE(version.data.empty()) << "no version resource in " << ZelcapExe();

    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(version.data.data(), "\\VarFileInfo\\Translation", &value, &size));
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(static_cast<WORD*>(value)[0], 0x0411);
    EXPECT_EQ(static_cast<WORD*>(value)[1], 932);

    EXPECT_EQ("Zelcap Ver" + version.text("ProductVersion"), kProductTitle);
    EXPECT_EQ(version.text("FileVersion"), version.text("ProductVersion"));
    EXPECT_EQ(version.text("ProductName"), "Zelcap");
    EXPECT_EQ(version.text("FileDescription"), "Zelcap 画面キャプチャー記録");
    EXPECT_EQ(version.text("OriginalFilename"), "Zelcap.exe");
    EXPECT_EQ(version.text("LegalCopyright").rfind("Copyright", 0), 0u);

    ASSERT_TRUE(VerQueryValueA(version.data.data(), "\\", &value, &size));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    char numbers[32];
    wsprintfA(numbers, "%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS));
    EXPECT_EQ(numbers, version.text("FileVersion"));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
}

class VersionDialogTest : public testsupport::MainWindowFixture {};

TEST_F(VersionDialogTest, ShowsTheVersionOfTheVersionResource) {
    const std::string product = ReadVersion(ZelcapExe()).text("ProductVersion");
    std::string shown;
    DialogAnswerer answers;
    answers.add([&](HWND dialog) {
        char text[64] = {};
        GetDlgItemTextA(dialog, IDC_ABOUT_PRODUCT, text, sizeof text);
        shown = text;
        EndDialog(dialog, IDOK);
    });
    SendMessageA(window_, WM_COMMAND, IDM_ABOUT, 0);
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(shown, "Zelcap Ver" + product);
}

}  // namespace
