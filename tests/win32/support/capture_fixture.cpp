#include "tests/win32/support/capture_fixture.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "base/win_handles_win.h"

#include "capture/capturer_win.h"
#include "history/history.h"
#include "settings/settings_store.h"

namespace testsupport {

namespace {

uint32_t U32(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
           static_cast<uint8_t>(b[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

}  // namespace

bool Bmp::load(const std::string& path) {
    bytes = ReadFileBytes(path);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    width = static_cast<int32_t>(U32(bytes, 18));
    height = static_cast<int32_t>(U32(bytes, 22));
    return true;
}

uint32_t Bmp::at(int x, int y) const {
    const size_t p = 54 + static_cast<size_t>(height - 1 - y) * stride() + 3 * x;
    return static_cast<uint8_t>(bytes[p + 2]) << 16 | static_cast<uint8_t>(bytes[p + 1]) << 8 |
           static_cast<uint8_t>(bytes[p]);
}

std::vector<int> GdiProbeSlots() {
    win::WindowDc screen(nullptr);
    std::vector<HBITMAP> probes;
    std::vector<int> slots;
    for (int i = 0; i < 256; ++i) {
        probes.push_back(CreateCompatibleBitmap(screen.get(), 1, 1));
        slots.push_back(static_cast<int>(reinterpret_cast<UINT_PTR>(probes.back()) & 0xFFFF));
    }
    for (auto it = probes.rbegin(); it != probes.rend(); ++it)
        DeleteObject(*it);
    std::sort(slots.begin(), slots.end());
    return slots;
}

size_t GdiProbeSlotsLost(const std::vector<int>& before) {
    const std::vector<int> after = GdiProbeSlots();
    std::vector<int> common;
    std::set_intersection(before.begin(), before.end(), after.begin(), after.end(),
                          std::back_inserter(common));
    return before.size() - common.size();
}

void CaptureFixture::SetUp() {
    folder_ = std::make_unique<ScopedWorkFolder>();
    settingsStore.initialize();
    history.reset();
    Settings& s = settingsStore.settings;
    std::snprintf(s.saveFolder, sizeof s.saveFolder, "%s", folder_->path().c_str());
    capturer.reset();
    capturer.prime(s, history);
    capturer.setExtras(CaptureExtras{});
    owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
}

void CaptureFixture::TearDown() {
    DestroyWindow(owner_);
    capturer.dropPicture();
    folder_.reset();
}

}  // namespace testsupport
