#include "tools/bench/ocr_pages_win.h"

#include <cstring>
#include <memory>

#include "base/bmp_format.h"

namespace ocr_pages {

namespace {

using personal_data::Kind;

// The faces a Japanese Windows shows its menus, dialogs and lists in; Wine
// substitutes its own for them (Page::face says which).
const char* const kFaces[] = {"MS UI Gothic", "MS Gothic", "MS PGothic"};

const COLORREF kFace = RGB(240, 240, 240);
const COLORREF kInk = RGB(0, 0, 0);
const COLORREF kHighlight = RGB(0, 120, 215);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kTitle = RGB(0, 84, 153);

// A small generator of its own, so that every page is drawn alike on every
// machine and every run.
class Random {
  public:
    explicit Random(int seed) : state_(0x9E3779B9u ^ static_cast<std::uint32_t>(seed) * 2654435761u) {}
    std::uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
    template <std::size_t N>
    const char* pick(const char* const (&list)[N]) {
        return list[below(static_cast<int>(N))];
    }
    std::string digits(int count) {
        std::string s;
        for (int i = 0; i < count; ++i)
            s += static_cast<char>('0' + below(10));
        return s;
    }

  private:
    std::uint32_t state_;
};

std::string Grouped(long long value) {
    std::string plain = std::to_string(value), out;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (i > 0 && (plain.size() - i) % 3 == 0)
            out += ',';
        out += plain[i];
    }
    return out;
}

// An amount with its digit groups: 1,100 to 9,876,543.
std::string Amount(Random& r) {
    const long long scales[] = {1000, 10000, 100000, 1000000};
    const long long scale = scales[r.below(4)];
    return Grouped(scale + r.below(static_cast<int>(scale * 9)) / 10 * 10);
}

std::string Decimal(Random& r) {
    const char* const kDecimals[] = {"0.05", "0.08", "0.10", "0.5", "1.25", "3.14", "12.75", "0.025", "99.9", "0.01"};
    return r.pick(kDecimals);
}

std::string Email(Random& r) {
    const char* const kUsers[] = {"tanaka.hiroshi", "y.sato", "suzuki-ichiro", "info", "m_kobayashi",
                                  "k.watanabe2", "support", "yamamoto.aya"};
    const char* const kDomains[] = {"example.co.jp", "example.com", "mail.example.jp", "corp-example.ne.jp"};
    return std::string(r.pick(kUsers)) + "@" + r.pick(kDomains);
}

// A subscriber's digits never start with 0 (personal_data holds to that).
std::string Phone(Random& r) {
    const auto local = [&](int count) { return std::to_string(1 + r.below(9)) + r.digits(count - 1); };
    switch (r.below(5)) {
        case 0: return "03-" + local(4) + "-" + r.digits(4);
        case 1: return "090-" + local(4) + "-" + r.digits(4);
        case 2: return "06-" + local(4) + "-" + r.digits(4);
        case 3: return "0120-" + local(3) + "-" + r.digits(3);
        default: return "045-" + local(3) + "-" + r.digits(4);
    }
}

// Sixteen digits that pass the Luhn check, in four groups.
std::string Card(Random& r) {
    std::string digits = (r.below(2) ? "4" : "5") + r.digits(14);
    for (char check = '0'; check <= '9'; ++check)
        if (personal_data::luhnValid(digits + check)) {
            digits += check;
            break;
        }
    const char separator = r.below(2) ? ' ' : '-';
    return digits.substr(0, 4) + separator + digits.substr(4, 4) + separator + digits.substr(8, 4) + separator +
           digits.substr(12, 4);
}

std::string MyNumber(Random& r) {
    std::string digits = r.digits(11);
    for (char check = '0'; check <= '9'; ++check)
        if (personal_data::myNumberValid(digits + check)) {
            digits += check;
            break;
        }
    if (r.below(2))
        return digits;
    return digits.substr(0, 4) + " " + digits.substr(4, 4) + " " + digits.substr(8, 4);
}

std::string Planted_(Page& page, Kind kind, std::string value) {
    page.planted.push_back(Planted{kind, value});
    return value;
}

std::string Item(Page& page, Random& r, Kind kind) {
    switch (kind) {
        case Kind::email: return Planted_(page, kind, Email(r));
        case Kind::phone: return Planted_(page, kind, Phone(r));
        case Kind::card: return Planted_(page, kind, Card(r));
        default: return Planted_(page, kind, MyNumber(r));
    }
}

// Draws text in one font and keeps what it drew as the page's truth.
class Pen {
  public:
    Pen(Page& page, const char* face, int pixels) : page_(page), pixels_(pixels) {
        font_.reset(CreateFontA(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face));
        select_ = std::make_unique<win::SelectGuard>(page.dc(), font_.get());
        SetBkMode(page.dc(), TRANSPARENT);
        char taken[LF_FACESIZE] = {};
        GetTextFaceA(page.dc(), LF_FACESIZE, taken);
        page.face = taken;
        TEXTMETRICA metrics{};
        GetTextMetricsA(page.dc(), &metrics);
        lineHeight_ = metrics.tmHeight;
    }

    int pixels() const { return pixels_; }
    int lineHeight() const { return lineHeight_; }

    // Text at (x, y); '&' underlines the next character as a menu does, and
    // is not part of the truth. Returns the width drawn.
    int text(int x, int y, const std::string& text, COLORREF colour = kInk) {
        std::string shown;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] != '&')
                shown += text[i];
        SetTextColor(page_.dc(), colour);
        SIZE size{};
        GetTextExtentPoint32A(page_.dc(), shown.c_str(), static_cast<int>(shown.size()), &size);
        RECT box{x, y, x + size.cx, y + size.cy};
        DrawTextA(page_.dc(), text.c_str(), static_cast<int>(text.size()), &box, DT_SINGLELINE | DT_NOCLIP);
        page_.truth.lines.push_back(OcrLine{box.left, box.top, box.right, box.bottom, shown});
        return size.cx;
    }

    int width(const std::string& text) const {
        SIZE size{};
        GetTextExtentPoint32A(page_.dc(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

  private:
    Page& page_;
    int pixels_;
    int lineHeight_ = 0;
    win::Font font_;
    std::unique_ptr<win::SelectGuard> select_;
};

void Fill(Page& page, RECT box, COLORREF colour) {
    win::GdiObject brush(CreateSolidBrush(colour));
    FillRect(page.dc(), &box, static_cast<HBRUSH>(brush.get()));
}

void Line(Page& page, int x0, int y0, int x1, int y1, COLORREF colour) {
    win::GdiObject pen(CreatePen(PS_SOLID, 1, colour));
    win::SelectGuard select(page.dc(), pen.get());
    MoveToEx(page.dc(), x0, y0, nullptr);
    LineTo(page.dc(), x1, y1);
}

void Button(Page& page, Pen& pen, int x, int y, const std::string& label) {
    const int w = std::max(75, pen.width(label) + 20), h = pen.lineHeight() + 10;
    RECT box{x, y, x + w, y + h};
    DrawFrameControl(page.dc(), &box, DFC_BUTTON, DFCS_BUTTONPUSH);
    pen.text(x + (w - pen.width(label)) / 2, y + 5, label);
}

const char* const kMenusJa[] = {"ファイル(&F)", "編集(&E)", "表示(&V)", "挿入(&I)", "書式(&O)", "ツール(&T)", "ヘルプ(&H)"};
const char* const kMenusEn[] = {"&File", "&Edit", "&View", "&Insert", "F&ormat", "&Tools", "&Help"};
const char* const kItemsJa[] = {"新規作成", "開く...", "上書き保存", "名前を付けて保存...", "印刷プレビュー", "印刷...",
                                "ページ設定", "プロパティ", "最近使ったファイル", "終了"};
const char* const kItemsEn[] = {"New", "Open...", "Save", "Save As...", "Print Preview", "Print...",
                                "Page Setup", "Properties", "Recent Files", "Exit"};
const char* const kKeys[] = {"Ctrl+N", "Ctrl+O", "Ctrl+S", "F12", "Ctrl+F2", "Ctrl+P", "", "Alt+Enter", "", "Alt+F4"};

void MenuPage(Page& page, Pen& pen, Random& r, bool japanese) {
    const int bar = pen.lineHeight() + 8;
    Fill(page, RECT{0, 0, page.width(), bar}, kFace);
    int x = 6;
    for (int i = 0; i < 7; ++i)
        x += pen.text(x, 4, japanese ? kMenusJa[i] : kMenusEn[i]) + 14;
    const int left = 4, top = bar, w = 300, row = pen.lineHeight() + 8;
    Fill(page, RECT{left, top, left + w, top + row * 10 + 6}, kFace);
    RECT frame{left, top, left + w, top + row * 10 + 6};
    DrawEdge(page.dc(), &frame, EDGE_RAISED, BF_RECT);
    const int chosen = r.below(10);
    for (int i = 0; i < 10; ++i) {
        const int y = top + 3 + i * row;
        COLORREF ink = kInk;
        if (i == chosen) {
            Fill(page, RECT{left + 3, y, left + w - 3, y + row}, kHighlight);
            ink = kWhite;
        }
        pen.text(left + 24, y + 4, japanese ? kItemsJa[i] : kItemsEn[i], ink);
        if (kKeys[i][0])
            pen.text(left + w - 12 - pen.width(kKeys[i]), y + 4, kKeys[i], ink);
    }
    // The document behind the menu.
    const int body = 340, step = pen.lineHeight() + 10;
    int y = bar + 12;
    pen.text(body, y, (japanese ? "お問い合わせ: " : "Contact: ") + Item(page, r, Kind::email));
    pen.text(body, y += step, (japanese ? "電話 " : "Phone ") + Item(page, r, Kind::phone));
    pen.text(body, y += step, japanese ? "合計 " + Amount(r) + "円 (税率 " + Decimal(r) + ")"
                                       : "Total " + Amount(r) + " (rate " + Decimal(r) + ")");
    pen.text(body, y += step, japanese ? "処理が完了しました。" : "The process has finished.");
    Fill(page, RECT{0, page.height() - bar, page.width(), page.height()}, kFace);
    pen.text(8, page.height() - bar + 4, japanese ? "行 " + std::to_string(1 + r.below(99)) + ", 列 " +
                                                        std::to_string(1 + r.below(80)) + "  " + Amount(r) + " 文字"
                                                  : "Line " + std::to_string(1 + r.below(99)) + ", Col " +
                                                        std::to_string(1 + r.below(80)) + "  " + Amount(r) + " chars");
}

struct Field {
    const char* ja;
    const char* en;
};

const Field kDialogFields[] = {{"氏名", "Name"}, {"メールアドレス", "E-mail"}, {"電話番号", "Phone"},
                               {"カード番号", "Card number"}, {"割引率", "Discount rate"}, {"請求金額", "Amount"}};
const char* const kNamesJa[] = {"山田 太郎", "佐藤 花子", "鈴木 一郎", "田中 美咲", "高橋 健二"};
const char* const kNamesEn[] = {"Taro Yamada", "Hanako Sato", "Ichiro Suzuki", "Misaki Tanaka", "Kenji Takahashi"};

std::string DialogValue(Page& page, Random& r, int field, bool japanese) {
    switch (field) {
        case 0: return japanese ? r.pick(kNamesJa) : r.pick(kNamesEn);
        case 1: return Item(page, r, Kind::email);
        case 2: return Item(page, r, Kind::phone);
        case 3: return Item(page, r, Kind::card);
        case 4: return Decimal(r);
        default: return japanese ? Amount(r) + "円" : Amount(r);
    }
}

void DialogPage(Page& page, Pen& pen, Random& r, bool japanese) {
    Fill(page, RECT{0, 0, page.width(), page.height()}, kFace);
    const int bar = pen.lineHeight() + 10;
    Fill(page, RECT{0, 0, page.width(), bar}, kTitle);
    pen.text(8, 5, japanese ? "顧客情報の編集" : "Edit Customer", kWhite);
    const int step = pen.lineHeight() + 16, labels = 16, fields = 170;
    int y = bar + 14;
    for (int i = 0; i < 6; ++i, y += step) {
        pen.text(labels, y + 4, japanese ? kDialogFields[i].ja : kDialogFields[i].en);
        RECT edit{fields, y, fields + 300, y + pen.lineHeight() + 8};
        Fill(page, edit, kWhite);
        DrawEdge(page.dc(), &edit, EDGE_SUNKEN, BF_RECT);
        pen.text(fields + 4, y + 4, DialogValue(page, r, i, japanese));
    }
    pen.text(labels, y + 4, japanese ? "変更内容を保存しますか?" : "Save the changes?");
    y += step + 4;
    const char* const buttons[] = {japanese ? "OK" : "OK", japanese ? "キャンセル" : "Cancel",
                                   japanese ? "適用(&A)" : "&Apply"};
    int x = page.width() - 3 * 95 - 10;
    for (const char* b : buttons) {
        Button(page, pen, x, y, b);
        x += 95;
    }
}

const Field kFormFields[] = {{"氏名", "Name"}, {"住所", "Address"}, {"電話番号", "Phone"}, {"携帯電話", "Mobile"},
                             {"メール", "E-mail"}, {"カード番号", "Card"}, {"個人番号", "My Number"},
                             {"生年月日", "Birth date"}, {"年会費", "Annual fee"}, {"還元率", "Point rate"}};
const char* const kAddressesJa[] = {"東京都千代田区丸の内1-9-1", "大阪府大阪市北区梅田3-1-1", "神奈川県横浜市西区高島2-16-1"};
const char* const kAddressesEn[] = {"1-9-1 Marunouchi, Chiyoda-ku, Tokyo", "3-1-1 Umeda, Kita-ku, Osaka"};

std::string FormValue(Page& page, Random& r, int field, bool japanese) {
    switch (field) {
        case 0: return japanese ? r.pick(kNamesJa) : r.pick(kNamesEn);
        case 1: return japanese ? r.pick(kAddressesJa) : r.pick(kAddressesEn);
        case 2: return Item(page, r, Kind::phone);
        case 3: return Item(page, r, Kind::phone);
        case 4: return Item(page, r, Kind::email);
        case 5: return Item(page, r, Kind::card);
        case 6: return Item(page, r, Kind::myNumber);
        case 7: return "19" + std::to_string(50 + r.below(50)) + "/0" + std::to_string(1 + r.below(9)) + "/" +
                       std::to_string(10 + r.below(18));
        case 8: return japanese ? Amount(r) + "円" : Amount(r) + " yen";
        default: return Decimal(r) + "%";
    }
}

void FormPage(Page& page, Pen& pen, Random& r, bool japanese) {
    const int step = pen.lineHeight() + 12;
    int y = 14;
    pen.text(16, y, japanese ? "会員登録内容の確認" : "Check your registration");
    Line(page, 16, y + step - 4, page.width() - 16, y + step - 4, RGB(160, 160, 160));
    y += step + 6;
    for (int i = 0; i < 10; ++i, y += step) {
        pen.text(24, y, std::string(japanese ? kFormFields[i].ja : kFormFields[i].en) + (japanese ? "：" : ":"));
        pen.text(190, y, FormValue(page, r, i, japanese));
    }
}

const char* const kHeadJa[] = {"品名", "数量", "単価", "金額", "担当者連絡先"};
const char* const kHeadEn[] = {"Item", "Qty", "Unit price", "Amount", "Contact"};
const char* const kGoodsJa[] = {"用紙 A4", "トナー", "ノートPC", "モニター", "キーボード", "保守契約", "配送料"};
const char* const kGoodsEn[] = {"Paper A4", "Toner", "Laptop", "Monitor", "Keyboard", "Support", "Shipping"};

void TablePage(Page& page, Pen& pen, Random& r, bool japanese) {
    const int cols[] = {10, 130, 190, 290, 400, page.width() - 10};
    const int row = pen.lineHeight() + 10, rows = 9;
    Fill(page, RECT{cols[0], 10, cols[5], 10 + row}, kFace);
    for (int c = 0; c < 5; ++c)
        pen.text(cols[c] + 5, 15, japanese ? kHeadJa[c] : kHeadEn[c]);
    for (int i = 1; i < rows; ++i) {
        const int y = 10 + i * row + 5;
        pen.text(cols[0] + 5, y, japanese ? r.pick(kGoodsJa) : r.pick(kGoodsEn));
        pen.text(cols[1] + 5, y, std::to_string(1 + r.below(120)));
        pen.text(cols[2] + 5, y, Grouped(100 + r.below(90000)));
        pen.text(cols[3] + 5, y, i % 3 == 0 ? Decimal(r) : Amount(r));
        pen.text(cols[4] + 5, y, i % 2 ? Item(page, r, Kind::phone) : Item(page, r, Kind::email));
    }
    for (int i = 0; i <= rows; ++i)
        Line(page, cols[0], 10 + i * row, cols[5], 10 + i * row, RGB(160, 160, 160));
    for (int x : cols)
        Line(page, x, 10, x, 10 + rows * row, RGB(160, 160, 160));
    const int y = 10 + rows * row + 12;
    pen.text(cols[0] + 5, y, japanese ? "小計 " + Amount(r) + "円 消費税 " + Amount(r) + "円"
                                      : "Subtotal " + Amount(r) + " Tax " + Amount(r));
    pen.text(cols[0] + 5, y + row, japanese ? "個人番号 " + Item(page, r, Kind::myNumber)
                                            : "Card " + Item(page, r, Kind::card));
}

}  // namespace

Page::Page(int width, int height) : width_(width), height_(height), stride_(static_cast<int>(dibStride(width))) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    dc_.reset(CreateCompatibleDC(nullptr));
    bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    SelectObject(dc_.get(), bitmap_.get());
    Fill(*this, RECT{0, 0, width, height}, kWhite);
}

ocr::OcrPixels Page::pixels() const {
    GdiFlush();
    const auto* bottom = static_cast<const std::uint8_t*>(bits_);
    return ocr::OcrPixels{bottom + static_cast<std::ptrdiff_t>(stride_) * (height_ - 1), width_, height_,
                          -static_cast<std::ptrdiff_t>(stride_), 3};
}

bool Page::saveBmp(const std::string& path) const {
    GdiFlush();
    std::uint8_t headers[kBmpHeaderSize];
    makeBmpHeaders(width_, height_, headers);
    win::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(stride_) * static_cast<DWORD>(height_);
    return file && WriteFile(file.get(), headers, kBmpHeaderSize, &written, nullptr) &&
           WriteFile(file.get(), bits_, size, &written, nullptr) && written == size;
}

std::unique_ptr<Page> DrawPage(int index) {
    static const char* const kKinds[] = {"menu", "dialog", "form", "table"};
    const int kind = index % 4;
    const int pixels = 9 + (index / 4) % 6;
    const char* face = kFaces[(index / 2) % 3];
    const bool japanese = (index / 4) % 2 == 0 ? index % 2 == 0 : index % 2 == 1;
    auto page = std::make_unique<Page>(kind == 1 ? 520 : 640, kind == 0 ? 340 : 400);
    Random r(index);
    {
        Pen pen(*page, face, pixels);
        switch (kind) {
            case 0: MenuPage(*page, pen, r, japanese); break;
            case 1: DialogPage(*page, pen, r, japanese); break;
            case 2: FormPage(*page, pen, r, japanese); break;
            default: TablePage(*page, pen, r, japanese); break;
        }
    }
    page->name = std::string(kKinds[kind]) + (japanese ? " ja " : " en ") + face + " " + std::to_string(pixels) + "px";
    return page;
}

long long ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) / 10000;
}

}  // namespace ocr_pages
