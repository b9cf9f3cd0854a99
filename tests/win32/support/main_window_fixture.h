// A fixture that starts the real main window afresh, in an empty folder of
// its own, for every test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/win32/support/win_test_support.h"

namespace testsupport {

class MainWindowFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Runs between loading the settings and creating the window.
    virtual void PrepareSettings() {}

    // Closes as the close box does; true when the window is gone.
    bool Close();
    std::string InFolder(const std::string& name) const { return folder_->path() + "\\" + name; }
    std::string Title() const;
    bool MenuEnabled(UINT id) const;
    std::string StatusText() const;

    std::unique_ptr<ScopedWorkFolder> folder_;
    HWND window_ = nullptr;
    HACCEL accelerators_ = nullptr;
};

// Fills a file dialog's name field with `path` and presses OK.
void AnswerFileDialog(HWND dialog, const std::string& path);

}  // namespace testsupport
