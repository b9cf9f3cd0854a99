// The annotation editor's text dialog: the text of a text object, its font
// and whether it stands in a balloon.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct AnnotationTextRequest {
    std::string text;
    std::string face;
    int32_t fontHeight = 24;
    bool balloon = false;
};

// Shows the dialog on `request`; true when the user pressed OK with some
// text, `request` then holding what was chosen.
bool AskAnnotationText(HINSTANCE instance, HWND owner, AnnotationTextRequest& request);
