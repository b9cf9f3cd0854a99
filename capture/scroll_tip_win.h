// The small window that tells the user how to end the scrolling capture by
// hand. It stands beside the window being taken, never over it, so that it
// is in none of the pictures, and is shown without taking the focus: the
// user's keys and wheel still go to the page.
#pragma once

#include <windows.h>

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
    std::string text_;
};
