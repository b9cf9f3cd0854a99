// Which image files the pane can show, by their names. Platform-free.
#pragma once

// True when the first ".jpg" or ".JPG" in the path ends the path (searched a
// character at a time, so a double-byte character never matches half).
// Mixed case, or the text also standing earlier in the path, do not count.
bool isJpegName(const char* path);
// The same with ".bmp" and ".BMP".
bool isBmpName(const char* path);
// The same with ".png" and ".PNG".
bool isPngName(const char* path);
