// What the capture tests share: a private folder the captures go to, the
// settings and capturer started afresh, an owner window for the messages,
// and a reader for the BMP files the writer makes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/capturer_win.h"
#include "tests/win32/support/win_test_support.h"

namespace testsupport {

// A 24-bit bottom-up BMP file as the writer made it.
struct Bmp {
    int32_t width = 0, height = 0;
    std::string bytes;
    bool load(const std::string& path);
    uint32_t stride() const { return ((24 * width + 31) / 32) * 4; }
    // 0x00RRGGBB at (x, y), y from the top.
    uint32_t at(int x, int y) const;
};

// Wine has no count of a process's GDI objects (GetGuiResources answers 0),
// but it hands out freed handle slots again, most recently freed first. The
// slots that 256 new objects get are therefore (nearly) the same before and
// after work that releases everything it makes; objects that leak keep the
// slots the probes would have had. Sorted.
std::vector<int> GdiProbeSlots();
// How many slots of `before` the probes no longer get: objects made since
// and still alive, give or take a slot or two of Wine's own caches.
size_t GdiProbeSlotsLost(const std::vector<int>& before);

// Changes some of the capturer's file options or extras, as a settings
// page would, keeping the others.
template <class Edit>
void EditFileOptions(Edit edit) {
    Capturer::FileOptions options = capturer.fileOptions();
    edit(options);
    capturer.setFileOptions(options);
}
template <class Edit>
void EditExtras(Edit edit) {
    CaptureExtras extras = capturer.extras();
    edit(extras);
    capturer.setExtras(extras);
}

class CaptureFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    std::string InFolder(const char* name) const { return folder_->path() + "\\" + name; }

    std::unique_ptr<ScopedWorkFolder> folder_;
    HWND owner_ = nullptr;
};

}  // namespace testsupport
