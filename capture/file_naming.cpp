#include "capture/file_naming.h"

#include <cstdio>
#include <cstring>

#include "base/cp932.h"

bool formatCaptureFileName(char* out, std::size_t outSize, const char* folder, const char* prefix,
                           int32_t number, bool zeroPad, ImageFormat format) {
    if (out == nullptr || outSize == 0)
        return false;
    out[0] = '\0';
    if (folder == nullptr || prefix == nullptr)
        return false;
    const char* extension = format == ImageFormat::png    ? "png"
                            : format == ImageFormat::jpeg ? "jpg"
                                                          : "bmp";
    // int is 32 bits on every target, so %d prints the whole number.
    const int value = static_cast<int>(number);
    const int written =
        zeroPad ? std::snprintf(out, outSize, "%s\\%s%06d.%s", folder, prefix, value, extension)
                : std::snprintf(out, outSize, "%s\\%s%d.%s", folder, prefix, value, extension);
    if (written < 0 || static_cast<std::size_t>(written) >= outSize) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool removeTrailingBackslash(char* path) {
    if (path == nullptr)
        return false;
    const char* last = cp932::findLastChar(path, '\\');
    if (last == nullptr || last[1] != '\0')
        return false;
    path[last - path] = '\0';
    return true;
}
