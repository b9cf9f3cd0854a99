#include "view/mask_proposals_win.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/file_io_win.h"
#include "base/message_box_win.h"
#include "base/win_handles_win.h"
#include "ocr/ocr_file.h"
#include "ocr/personal_data.h"
#include "settings/ocr_settings.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"
#include "view/annotation_editing.h"
#include "view/annotation_editor_win.h"
#include "view/mask_fit.h"
#include "view/mask_proposals.h"
#include "view/packed_dib.h"
#include "view/personal_patterns_dialog_win.h"
#include "view/picture_window_win.h"

namespace {

using mask_proposals::Proposal;

const char kCaption[] = "個人情報のマスク候補";
// The editor's own controls are 100 to 130.
constexpr int kTitleId = 140, kListId = 141, kAcceptId = 142, kPatternsId = 143;

std::vector<std::string> UserPatterns() {
    Win32SettingsFiles files;
    return ocr_settings::load(files, settingsStore.iniPath).patterns;
}

class ProposalPanel final : public AnnotationPanel {
  public:
    ProposalPanel(HINSTANCE instance, OcrResult text, std::vector<mask_fit::LineInk> ink,
                  int32_t width, int32_t height, std::vector<Proposal> proposals)
        : instance_(instance),
          text_(std::move(text)),
          ink_(std::move(ink)),
          pictureWidth_(width),
          pictureHeight_(height),
          proposals_(std::move(proposals)) {}
    ~ProposalPanel() override {
        for (HWND control : {title_, list_, accept_, patterns_})
            if (control && IsWindow(control))
                DestroyWindow(control);
    }

    bool create(HWND editor);
    int width() const override { return gone_ ? 0 : width_; }
    void place(int left, int top, int width, int height) override;
    bool message(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool key(const MSG& message) override;
    HWND focus() const override { return gone_ ? nullptr : list_; }
    void objectsChanged() override;

  private:
    HINSTANCE instance_;
    OcrResult text_;
    std::vector<mask_fit::LineInk> ink_;  // of the lines, so that the picture need not stay
    int32_t pictureWidth_, pictureHeight_;
    std::vector<Proposal> proposals_;
    HWND title_ = nullptr, list_ = nullptr, accept_ = nullptr, patterns_ = nullptr;
    win::Font font_;
    int width_ = 0, kindWidth_ = 0, buttonHeight_ = 0;
    bool gone_ = false, syncing_ = false;

    HWND control(HWND editor, const char* cls, const char* text, DWORD style, int id);
    void addRow(std::size_t index);
    void setMasked(std::size_t index, bool masked);
    void removeSelected();
    void accept();
    void editPatterns();
};

HWND ProposalPanel::control(HWND editor, const char* cls, const char* text, DWORD style, int id) {
    HWND made =
        CreateWindowExA(cls == std::string(WC_LISTVIEWA) ? WS_EX_CLIENTEDGE : 0, cls, text,
                        WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, editor,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageA(made, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return made;
}

bool ProposalPanel::create(HWND editor) {
    font_.reset(picture_window::CreateMessageFont());
    {
        win::WindowDc dc(editor);
        win::SelectGuard selectFont(dc.get(), font_.get());
        TEXTMETRICA tm{};
        GetTextMetricsA(dc.get(), &tm);
        buttonHeight_ = tm.tmHeight + 10;
        // The check box and the cells' margins beside the widest kind.
        kindWidth_ = picture_window::LabelWidth(dc.get(), "メールアドレス") + 36;
        width_ = kindWidth_ + picture_window::LabelWidth(dc.get(), "0000-0000-0000-0000") + 24 +
                 GetSystemMetrics(SM_CXVSCROLL);
    }
    title_ = control(editor, "STATIC", "個人情報のマスク候補(&L):", SS_LEFT, kTitleId);
    list_ = control(editor, WC_LISTVIEWA, "",
                    WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, kListId);
    accept_ = control(editor, "BUTTON", "残りを採用(&Y)", WS_TABSTOP | BS_PUSHBUTTON, kAcceptId);
    patterns_ =
        control(editor, "BUTTON", "パターンの設定(&I)...", WS_TABSTOP | BS_PUSHBUTTON, kPatternsId);
    if (!title_ || !list_ || !accept_ || !patterns_)
        return false;
    ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    const char* const headings[] = {"種類", "文字"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(headings[i]);
        column.cx = i == 0 ? kindWidth_ : width_ - kindWidth_ - GetSystemMetrics(SM_CXVSCROLL) - 12;
        SendMessageA(list_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    for (std::size_t i = 0; i < proposals_.size(); ++i)
        addRow(i);
    ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return true;
}

void ProposalPanel::addRow(std::size_t index) {
    const Proposal& p = proposals_[index];
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(index);
    item.pszText = const_cast<char*>(personal_data::kindName(p.kind));
    syncing_ = true;
    const int row =
        static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    item.iItem = row;
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(p.text.c_str());
    SendMessageA(list_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    syncing_ = false;
}

void ProposalPanel::place(int left, int top, int width, int height) {
    const bool shown = !gone_ && width > 0;
    for (HWND c : {title_, list_, accept_, patterns_})
        ShowWindow(c, shown ? SW_SHOWNA : SW_HIDE);
    if (!shown)
        return;
    const int x = left + 4, w = width - 8, line = buttonHeight_ - 6;
    const int buttons = top + height - 2 * (buttonHeight_ + 4);
    MoveWindow(title_, x, top + 4, w, line, TRUE);
    MoveWindow(list_, x, top + 6 + line, w, std::max(0, buttons - top - 10 - line), TRUE);
    MoveWindow(accept_, x, buttons, w, buttonHeight_, TRUE);
    MoveWindow(patterns_, x, buttons + buttonHeight_ + 4, w, buttonHeight_, TRUE);
}

// A row is checked while its mask is among the objects, whatever took it
// away or brought it back (the row, the editor's Delete, undo).
void ProposalPanel::objectsChanged() {
    annotation_editing::Session* session = AnnotationEditorSession();
    if (!session || gone_)
        return;
    syncing_ = true;
    for (std::size_t i = 0; i < proposals_.size(); ++i)
        ListView_SetCheckState(
            list_, static_cast<int>(i),
            mask_proposals::findMask(session->document.objects(), proposals_[i].mask) >= 0);
    syncing_ = false;
}

void ProposalPanel::setMasked(std::size_t index, bool masked) {
    annotation_editing::Session* session = AnnotationEditorSession();
    if (!session)
        return;
    const int at = mask_proposals::findMask(session->document.objects(), proposals_[index].mask);
    bool changed = false;
    if (masked && at < 0)
        changed = session->document.add(proposals_[index].mask);
    else if (!masked && at >= 0)
        changed = session->document.remove(static_cast<std::size_t>(at));
    if (changed)
        session->selected = -1;
    AnnotationEditorRefresh();
}

void ProposalPanel::removeSelected() {
    const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (row < 0)
        return;
    setMasked(static_cast<std::size_t>(row), false);
    proposals_.erase(proposals_.begin() + row);
    syncing_ = true;
    ListView_DeleteItem(list_, row);
    syncing_ = false;
    const int next = std::min(row, static_cast<int>(proposals_.size()) - 1);
    if (next >= 0)
        ListView_SetItemState(list_, next, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
}

// The masks left stay among the objects, the list goes; the save is the
// user's, as for any mask.
void ProposalPanel::accept() {
    gone_ = true;
    AnnotationEditorLayout();
    if (HWND editor = AnnotationEditorWindow())
        if (HWND canvas = FindWindowExA(editor, nullptr, "ZELCAP_ANNOTATE_CANVAS", nullptr))
            SetFocus(canvas);
}

// New patterns may find more: those are added, checked; none already
// listed or removed comes back.
void ProposalPanel::editPatterns() {
    if (!EditPersonalPatterns(instance_, GetParent(list_)))
        return;
    annotation_editing::Session* session = AnnotationEditorSession();
    if (!session)
        return;
    for (Proposal& p :
         mask_proposals::propose(text_, ink_, UserPatterns(), pictureWidth_, pictureHeight_)) {
        bool listed = false;
        for (const Proposal& q : proposals_)
            listed = listed || q.mask == p.mask;
        if (listed)
            continue;
        proposals_.push_back(std::move(p));
        addRow(proposals_.size() - 1);
        if (mask_proposals::findMask(session->document.objects(), proposals_.back().mask) < 0)
            session->document.add(proposals_.back().mask);
    }
    AnnotationEditorRefresh();
    SetFocus(list_);
}

bool ProposalPanel::message(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == kAcceptId)
            accept();
        else if (LOWORD(wParam) == kPatternsId)
            editPatterns();
        else
            return false;
        return true;
    }
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (message != WM_NOTIFY || !header || header->hwndFrom != list_)
        return false;
    if (header->code != LVN_ITEMCHANGED || syncing_)
        return true;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if (change->iItem < 0 || static_cast<std::size_t>(change->iItem) >= proposals_.size() ||
        !(change->uChanged & LVIF_STATE))
        return true;
    const UINT was = change->uOldState & LVIS_STATEIMAGEMASK;
    const UINT now = change->uNewState & LVIS_STATEIMAGEMASK;
    if (was && now && was != now)
        setMasked(static_cast<std::size_t>(change->iItem), now == INDEXTOSTATEIMAGEMASK(2));
    if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) {
        if (annotation_editing::Session* session = AnnotationEditorSession())
            AnnotationEditorShowObject(
                mask_proposals::findMask(session->document.objects(),
                                         proposals_[static_cast<std::size_t>(change->iItem)].mask));
    }
    return true;
}

bool ProposalPanel::key(const MSG& message) {
    if (gone_ || message.hwnd != list_ || message.message != WM_KEYDOWN)
        return false;
    if (message.wParam == VK_DELETE) {
        removeSelected();
        return true;
    }
    if (message.wParam == VK_RETURN) {
        accept();
        return true;
    }
    return false;
}

// The .ocr beside the picture, or a message saying why there is none to use.
bool ReadText(HWND owner, const char* picturePath, OcrResult& text) {
    const std::string path = ocrfile::sidecarPath(picturePath);
    std::string bytes;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ShowMessage(owner,
                    "この画像の文字はまだ読み取られていません。\r\n"
                    "ツール → 文字の読み取り で読み取ってから、もう一度選んでください。",
                    kCaption, MB_ICONINFORMATION | MB_OK);
        return false;
    }
    ocrfile::ReadResult read;
    if (win::ReadWholeFile(path.c_str(), bytes, int64_t{64} << 20))
        read = ocrfile::parse(bytes.data(), bytes.size());
    if (!read.ok) {
        std::string message =
            "読み取った文字のファイルを読めません。\r\n"
            "ツール → 文字の読み取り で読み取り直してください。\r\n";
        message += path;
        ShowMessage(owner, message.c_str(), kCaption, MB_ICONWARNING | MB_OK);
        return false;
    }
    text = std::move(read.result);
    return true;
}

}  // namespace

bool OpenMaskProposals(HINSTANCE instance, HWND owner, const char* picturePath) {
    OcrResult text;
    if (!ReadText(owner, picturePath, text))
        return false;
    PackedDib picture;
    if (!picture_window::LoadPictureFile(picturePath, picture) || picture.empty()) {
        std::string message = "画像ファイルを読み込めませんでした。\r\n";
        message += picturePath;
        ShowMessage(owner, message.c_str(), kCaption, MB_ICONERROR | MB_OK);
        return false;
    }
    std::vector<mask_fit::LineInk> ink = mask_fit::inkOfLines(picture, text);
    std::vector<Proposal> proposals =
        mask_proposals::propose(text, ink, UserPatterns(), picture.width(), picture.height());
    if (proposals.empty()) {
        ShowMessage(owner, "この画像の文字に個人情報は見つかりませんでした。", kCaption,
                    MB_ICONINFORMATION | MB_OK);
        return false;
    }
    if (!OpenAnnotationEditor(instance, owner, picturePath))
        return false;
    annotation_editing::Session* session = AnnotationEditorSession();
    for (const Proposal& p : proposals)
        if (mask_proposals::findMask(session->document.objects(), p.mask) < 0)
            session->document.add(p.mask);
    auto panel =
        std::make_unique<ProposalPanel>(instance, std::move(text), std::move(ink), picture.width(),
                                        picture.height(), std::move(proposals));
    if (!panel->create(AnnotationEditorWindow()))
        return false;
    SetAnnotationPanel(std::move(panel));
    return true;
}
