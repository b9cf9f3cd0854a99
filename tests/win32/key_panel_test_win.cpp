// The capture key panel beside the real main window: what it shows of the
// settings when it opens, what its toggles save and register, the key rules,
// and the marker choosers with their image list and previews.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "app/panes_win.h"
#include "base/app_state_win.h"
#include "capture/capturer_win.h"
#include "capture/key_panel_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/win32/support/main_window_fixture.h"

namespace {

using testsupport::ReadFileBytes;

constexpr int kToggles[8] = {IDC_KEY_TOGGLE_0, IDC_KEY_TOGGLE_1, IDC_KEY_TOGGLE_2,
                             IDC_KEY_TOGGLE_3, IDC_KEY_TOGGLE_4, IDC_KEY_TOGGLE_5,
                             IDC_KEY_TOGGLE_6, IDC_KEY_TOGGLE_7};
constexpr int kKeys[8] = {IDC_KEY_HOTKEY_0, IDC_KEY_HOTKEY_1, IDC_KEY_HOTKEY_2, IDC_KEY_HOTKEY_3,
                          IDC_KEY_HOTKEY_4, IDC_KEY_HOTKEY_5, IDC_KEY_HOTKEY_6, IDC_KEY_HOTKEY_7};
constexpr int kPreviews4[4] = {IDC_KEY_PREVIEW_4_0, IDC_KEY_PREVIEW_4_1, IDC_KEY_PREVIEW_4_2,
                               IDC_KEY_PREVIEW_4_3};
constexpr int kPreviews5[4] = {IDC_KEY_PREVIEW_5_0, IDC_KEY_PREVIEW_5_1, IDC_KEY_PREVIEW_5_2,
                               IDC_KEY_PREVIEW_5_3};

// A key combination can be held by one registration only: whether ours is
// registered shows in whether a second registration of it fails.
bool ComboIsFree(UINT modifiers, UINT key) {
    if (!RegisterHotKey(nullptr, 0x3000, modifiers, key))
        return false;
    UnregisterHotKey(nullptr, 0x3000);
    return true;
}

bool HasLine(const std::string& ini, const std::string& line) {
    return ini.find("\r\n" + line + "\r\n") != std::string::npos;
}

class KeyPanelTest : public testsupport::MainWindowFixture {
  protected:
    // The settings a test gives must be in place before this.
    void OpenPanel() {
        container_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 700, 500,
                                     window_, nullptr, appState.instance, nullptr);
        ASSERT_NE(container_, nullptr);
        panel_ = CreateKeyPanel(appState.instance, container_);
        ASSERT_NE(panel_, nullptr);
    }

    HWND Item(int id) const { return GetDlgItem(panel_, id); }
    WORD Key(int kind) const {
        return LOWORD(SendMessageA(Item(kKeys[kind]), HKM_GETHOTKEY, 0, 0));
    }
    // What the user would type into a kind's hot-key control.
    void TypeKey(int kind, BYTE flags, BYTE key) {
        SendMessageA(Item(kKeys[kind]), HKM_SETHOTKEY, MAKEWORD(key, flags), 0);
    }
    std::string Text(int id) const {
        char text[64] = {};
        GetWindowTextA(Item(id), text, sizeof text);
        return text;
    }
    bool Checked(int kind) const {
        return SendMessageA(Item(kToggles[kind]), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    // A mouse click: the push-like check box flips and tells the panel.
    void Click(int kind) { SendMessageA(Item(kToggles[kind]), BM_CLICK, 0, 0); }
    bool Shown(int id) const { return (GetWindowLongA(Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    std::string Ini() const { return ReadFileBytes(settingsStore.iniPath); }
    void Arm() {
        SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_START, 0);
        ASSERT_EQ(capturer.monitoring(), 1);
    }

    HWND container_ = nullptr;
    HWND panel_ = nullptr;
};

TEST_F(KeyPanelTest, OpensWithTheStoredKeysAndTogglesAndLocksTheKeysOfKindsThatAreOn) {
    HotKeyEntry* keys = settingsStore.settings.hotKeys;
    keys[0] = {HOTKEYF_CONTROL | HOTKEYF_SHIFT, VK_F9, 1, 0};
    keys[3] = {HOTKEYF_ALT | HOTKEYF_EXT, VK_HOME, 0, 0};
    keys[7] = {0x102, 0x141, 0, 0};  // only the low byte of each reaches the control
    OpenPanel();

    EXPECT_EQ(Key(0), MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    EXPECT_EQ(Key(3), MAKEWORD(VK_HOME, HOTKEYF_ALT | HOTKEYF_EXT));
    EXPECT_EQ(Key(7), MAKEWORD(0x41, 0x02));

    EXPECT_TRUE(Checked(0));
    EXPECT_EQ(Text(kToggles[0]), "有効");
    EXPECT_FALSE(IsWindowEnabled(Item(kKeys[0])));
    for (int kind = 1; kind < 8; ++kind) {
        EXPECT_FALSE(Checked(kind)) << kind;
        EXPECT_EQ(Text(kToggles[kind]), "無効") << kind;
        EXPECT_TRUE(IsWindowEnabled(Item(kKeys[kind]))) << kind;
    }
}

TEST_F(KeyPanelTest, MarkerChoosersOfferTheFourCellsAndShowThePreviewOfTheChoice) {
    settingsStore.settings.hotKeys[4].markerChoice = 1;
    settingsStore.settings.hotKeys[5].markerChoice = 3;
    OpenPanel();

    struct Row {
        int chooser;
        const int* previews;
        int choice;
    };
    for (const Row& row :
         {Row{IDC_KEY_MARKER_4, kPreviews4, 1}, Row{IDC_KEY_MARKER_5, kPreviews5, 3}}) {
        SCOPED_TRACE(row.chooser);
        HWND chooser = Item(row.chooser);
        ASSERT_EQ(SendMessageA(chooser, CB_GETCOUNT, 0, 0), 4);
        for (int j = 0; j < 4; ++j) {
            char text[32] = {};
            COMBOBOXEXITEMA item{};
            item.mask = CBEIF_TEXT | CBEIF_IMAGE;
            item.iItem = j;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            ASSERT_TRUE(SendMessageA(chooser, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
            EXPECT_EQ(std::string(text), "イメージ" + std::to_string(j + 1));
            EXPECT_EQ(item.iImage, j);
        }
        EXPECT_EQ(SendMessageA(chooser, CB_GETCURSEL, 0, 0), row.choice);

        // One preview at a time, all in the first one's place.
        RECT first;
        GetWindowRect(Item(row.previews[0]), &first);
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(Shown(row.previews[j]), j == row.choice) << j;
            RECT r;
            GetWindowRect(Item(row.previews[j]), &r);
            EXPECT_TRUE(EqualRect(&r, &first)) << j;
            auto picture = reinterpret_cast<HBITMAP>(
                SendMessageA(Item(row.previews[j]), STM_GETIMAGE, IMAGE_BITMAP, 0));
            BITMAP info{};
            ASSERT_TRUE(GetObjectA(picture, sizeof info, &info)) << j;
            EXPECT_EQ(info.bmWidth, 16);
            EXPECT_EQ(info.bmHeight, 16);
        }
    }
}

// What a marker cell leaves on a blue picture: the shape, and blue where the
// cell is white.
COLORREF CellPixel(HIMAGELIST list, int cell, int x, int y) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 30, 30);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    RECT all{0, 0, 30, 30};
    FillRect(dc, &all, blue);
    ImageList_Draw(list, cell, dc, 0, 0, ILD_TRANSPARENT);
    const COLORREF pixel = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(blue);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixel;
}

TEST_F(KeyPanelTest, TheMarkerImageListHoldsTheFourCellsWithWhiteTransparent) {
    OpenPanel();
    auto list =
        reinterpret_cast<HIMAGELIST>(SendMessageA(Item(IDC_KEY_MARKER_4), CBEM_GETIMAGELIST, 0, 0));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list, reinterpret_cast<HIMAGELIST>(
                        SendMessageA(Item(IDC_KEY_MARKER_5), CBEM_GETIMAGELIST, 0, 0)));
    ASSERT_EQ(ImageList_GetImageCount(list), 4);
    int width = 0, height = 0;
    ImageList_GetIconSize(list, &width, &height);
    EXPECT_EQ(width, 30);
    EXPECT_EQ(height, 30);

    const COLORREF blue = RGB(0, 0, 255), red = RGB(255, 0, 0), black = RGB(0, 0, 0),
                   grey = RGB(128, 128, 128);
    for (int cell = 0; cell < 4; ++cell)
        EXPECT_EQ(CellPixel(list, cell, 29, 29), blue) << cell;
    // Cell 0, the ellipse: wider than high, hollow.
    EXPECT_EQ(CellPixel(list, 0, 1, 15), red);
    EXPECT_EQ(CellPixel(list, 0, 15, 3), blue);
    EXPECT_EQ(CellPixel(list, 0, 15, 15), blue);
    // Cell 1, the circle: as high as wide, hollow.
    EXPECT_EQ(CellPixel(list, 1, 2, 15), red);
    EXPECT_EQ(CellPixel(list, 1, 15, 2), red);
    EXPECT_EQ(CellPixel(list, 1, 15, 15), blue);
    // Cells 2 and 3, the arrows: black and red inside a grey edge, tip at the
    // top left, where the cursor will be.
    EXPECT_EQ(CellPixel(list, 2, 4, 12), black);
    EXPECT_EQ(CellPixel(list, 3, 4, 12), red);
    EXPECT_EQ(CellPixel(list, 2, 0, 0), grey);
    EXPECT_EQ(CellPixel(list, 3, 0, 10), grey);
}

TEST_F(KeyPanelTest, TogglingWhileIdleSavesTheKindButRegistersNothing) {
    settingsStore.settings.hotKeys[5] = {0, 0, 0, 0};
    OpenPanel();
    TypeKey(5, HOTKEYF_CONTROL | HOTKEYF_SHIFT, VK_F11);
    ASSERT_TRUE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F11));

    Click(5);
    const HotKeyEntry& entry = settingsStore.settings.hotKeys[5];
    EXPECT_EQ(entry.monitored, 1);
    EXPECT_EQ(entry.modifiers, HOTKEYF_CONTROL | HOTKEYF_SHIFT);
    EXPECT_EQ(entry.virtualKey, VK_F11);
    EXPECT_TRUE(Checked(5));
    EXPECT_EQ(Text(kToggles[5]), "有効");
    EXPECT_FALSE(IsWindowEnabled(Item(kKeys[5])));
    std::string ini = Ini();
    EXPECT_TRUE(HasLine(ini, "AウィンドウC：監視=1")) << ini;
    EXPECT_TRUE(HasLine(ini, "AウィンドウC：修飾キー=3")) << ini;
    EXPECT_TRUE(HasLine(ini, "AウィンドウC：キー=122")) << ini;
    EXPECT_EQ(capturer.monitoring(), 0);
    EXPECT_TRUE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F11));

    Click(5);
    EXPECT_EQ(entry.monitored, 0);
    EXPECT_EQ(entry.virtualKey, VK_F11);  // kept for the next time
    EXPECT_EQ(Text(kToggles[5]), "無効");
    EXPECT_TRUE(IsWindowEnabled(Item(kKeys[5])));
    ini = Ini();
    EXPECT_TRUE(HasLine(ini, "AウィンドウC：監視=0")) << ini;
    EXPECT_TRUE(HasLine(ini, "AウィンドウC：キー=122")) << ini;
}

TEST_F(KeyPanelTest, TogglingKind5WhileArmedRegistersAndUnregistersItsKeyAtOnce) {
    settingsStore.settings.hotKeys[0] = {HOTKEYF_CONTROL | HOTKEYF_ALT, VK_F7, 1, 0};
    settingsStore.settings.hotKeys[5] = {HOTKEYF_CONTROL | HOTKEYF_SHIFT, VK_F11, 0, 0};
    OpenPanel();
    Arm();
    ASSERT_FALSE(ComboIsFree(MOD_CONTROL | MOD_ALT, VK_F7));
    ASSERT_TRUE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F11));

    Click(5);
    EXPECT_EQ(capturer.monitoring(), 1);
    EXPECT_FALSE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F11));
    EXPECT_FALSE(ComboIsFree(MOD_CONTROL | MOD_ALT, VK_F7));
    EXPECT_TRUE(HasLine(Ini(), "AウィンドウC：監視=1"));

    Click(5);
    EXPECT_EQ(capturer.monitoring(), 1);
    EXPECT_TRUE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F11));
    EXPECT_FALSE(ComboIsFree(MOD_CONTROL | MOD_ALT, VK_F7));
    EXPECT_TRUE(HasLine(Ini(), "AウィンドウC：監視=0"));
    // The remaining key was registered again, on the main window.
    EXPECT_FALSE(UnregisterHotKey(window_, kFirstHotKeyId + 5));
    EXPECT_TRUE(UnregisterHotKey(window_, kFirstHotKeyId + 0));
}

TEST_F(KeyPanelTest, ChoosingImage3ForKind4StoresTwoAndShowsTheBlackArrow) {
    settingsStore.settings.hotKeys[4].markerChoice = 0;
    settingsStore.settings.hotKeys[5].markerChoice = 1;
    settingsStore.settings.hotKeys[1] = {HOTKEYF_ALT | HOTKEYF_SHIFT, VK_F8, 1, 0};
    OpenPanel();
    Arm();

    // Two steps down the closed list, as the keyboard does: the selection
    // change reaches the panel through the extended combo box.
    auto inner =
        reinterpret_cast<HWND>(SendMessageA(Item(IDC_KEY_MARKER_4), CBEM_GETCOMBOCONTROL, 0, 0));
    ASSERT_NE(inner, nullptr);
    SendMessageA(inner, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(inner, WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_EQ(SendMessageA(Item(IDC_KEY_MARKER_4), CB_GETCURSEL, 0, 0), 2);

    EXPECT_EQ(settingsStore.settings.hotKeys[4].markerChoice, 2);
    EXPECT_EQ(settingsStore.settings.hotKeys[5].markerChoice, 1);
    const std::string ini = Ini();
    EXPECT_TRUE(HasLine(ini, "画面全体C：選択=2")) << ini;
    EXPECT_TRUE(HasLine(ini, "AウィンドウC：選択=1")) << ini;
    for (int j = 0; j < 4; ++j)
        EXPECT_EQ(Shown(kPreviews4[j]), j == 2) << j;
    EXPECT_TRUE(Shown(kPreviews5[1]));
    EXPECT_EQ(capturer.monitoring(), 1);
    EXPECT_FALSE(ComboIsFree(MOD_ALT | MOD_SHIFT, VK_F8));
}

TEST_F(KeyPanelTest, ANewKeyForAKindThatIsOnTakesTurningItOffAndOnAgain) {
    settingsStore.settings.hotKeys[2] = {HOTKEYF_ALT, 'A', 1, 0};
    OpenPanel();
    ASSERT_FALSE(IsWindowEnabled(Item(kKeys[2])));

    Click(2);
    ASSERT_TRUE(IsWindowEnabled(Item(kKeys[2])));
    // The extended flag travels with the key as the control reports it.
    TypeKey(2, HOTKEYF_SHIFT | HOTKEYF_EXT, VK_INSERT);
    EXPECT_EQ(settingsStore.settings.hotKeys[2].virtualKey, 'A');  // typing alone stores nothing
    EXPECT_TRUE(HasLine(Ini(), "画面全体P：キー=65"));

    Click(2);
    const HotKeyEntry& entry = settingsStore.settings.hotKeys[2];
    EXPECT_EQ(entry.modifiers, HOTKEYF_SHIFT | HOTKEYF_EXT);
    EXPECT_EQ(entry.virtualKey, VK_INSERT);
    EXPECT_EQ(entry.monitored, 1);
    const std::string ini = Ini();
    EXPECT_TRUE(HasLine(ini, "画面全体P：修飾キー=9")) << ini;
    EXPECT_TRUE(HasLine(ini, "画面全体P：キー=45")) << ini;
    EXPECT_TRUE(HasLine(ini, "画面全体P：監視=1")) << ini;
}

TEST_F(KeyPanelTest, SwitchingOnWithAnEmptyKeyControlStoresKeyZero) {
    settingsStore.settings.hotKeys[6] = {HOTKEYF_CONTROL, 'Q', 0, 0};
    OpenPanel();
    TypeKey(6, 0, 0);

    Click(6);
    const HotKeyEntry& entry = settingsStore.settings.hotKeys[6];
    EXPECT_EQ(entry.monitored, 1);
    EXPECT_EQ(entry.modifiers, 0);
    EXPECT_EQ(entry.virtualKey, 0);
    const std::string ini = Ini();
    EXPECT_TRUE(HasLine(ini, "画面全体D：キー=0")) << ini;
    EXPECT_TRUE(HasLine(ini, "画面全体D：修飾キー=0")) << ini;
}

}  // namespace

TEST_F(KeyPanelTest, AKeyAnotherRegistrationHoldsIsNamedOnceAndTheOthersStayArmed) {
    settingsStore.settings.hotKeys[1] = {HOTKEYF_CONTROL | HOTKEYF_SHIFT, VK_F9, 1, 0};
    settingsStore.settings.hotKeys[3] = {HOTKEYF_CONTROL | HOTKEYF_SHIFT, VK_F10, 1, 0};
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x3001, MOD_CONTROL | MOD_SHIFT, VK_F9));
    HWND shown = tabHost.keyPanelHost.keyPanel;
    ASSERT_NE(shown, nullptr);

    testsupport::DialogAnswerer answers;
    answers.press(IDOK);
    Arm();
    EXPECT_EQ(answers.unexpected(), 0);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].caption, "ホットキー登録エラー");
    EXPECT_NE(answers.seen()[0].text.find("\r\nCtrl+Shift+F9（スクリーン全体）\r\n"),
              std::string::npos);
    EXPECT_EQ(answers.seen()[0].text.find("F10"), std::string::npos);
    EXPECT_FALSE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F10));
    char text[32] = {};
    GetDlgItemTextA(shown, kToggles[1], text, sizeof text);
    EXPECT_STREQ(text, "使用中");
    GetDlgItemTextA(shown, kToggles[3], text, sizeof text);
    EXPECT_STREQ(text, "有効");

    SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_STOP, 0);
    GetDlgItemTextA(shown, kToggles[1], text, sizeof text);
    EXPECT_STREQ(text, "有効");
    UnregisterHotKey(nullptr, 0x3001);
}
