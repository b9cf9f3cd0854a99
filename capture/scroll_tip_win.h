// The small window that tells the user how to end the scrolling capture by
// hand. It stands beside the window being taken, never over its client
// area, so that it is in none of the pictures (a window that fills the
// screen gets one line over its title bar), and is shown without taking
// the focus: the user's keys and wheel still go to the page.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class ScrollTip {
  public:
    // `text`: CP932, lines apart with "\n".
    ScrollTip(HWND target, const std::string& text);
    ScrollTip(const ScrollTip&) = delete;
    ScrollTip& operator=(const ScrollTip&) = delete;
    ~ScrollTip();

    HWND window() const { return window_; }

  private:
    HWND window_ = nullptr;
    std::unique_ptr<struct TipText> tip_;  // what the window paints, while it lives
};
