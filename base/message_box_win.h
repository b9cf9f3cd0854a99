// Every message box of the program goes through here, so that no call site
// forgets its owner and tests can find the one place that shows them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

int ShowMessage(HWND owner, const char* text, const char* caption, UINT flags);

// A message that was kept instead of shown.
struct KeptMessage {
    std::string text;
    std::string caption;
    UINT flags = 0;
};

// While one of these lives, ShowMessage shows nothing: it keeps the message
// and answers as a user who declines would (No, Cancel), so that no
// question goes on to overwrite, replace or open anything. A command from a
// script returns the messages to the caller instead of stopping at them.
class KeepMessages {
  public:
    KeepMessages();
    ~KeepMessages();
    KeepMessages(const KeepMessages&) = delete;
    KeepMessages& operator=(const KeepMessages&) = delete;

    const std::vector<KeptMessage>& messages() const { return kept_; }
    // A command from a script is running: nothing is to pop up.
    static bool active();
    // A question was declined, or an error said.
    bool declined() const;
    bool error() const;

  private:
    friend int ShowMessage(HWND, const char*, const char*, UINT);
    std::vector<KeptMessage> kept_;
    KeepMessages* outer_;
};
