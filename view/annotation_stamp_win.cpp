#include "view/annotation_stamp_win.h"

#include <windows.h>

#include <vector>

#include "base/file_io_win.h"
#include "base/win_handles_win.h"
#include "picture/annotation_file.h"
#include "view/annotation_glyphs_win.h"
#include "view/annotation_stamp.h"
#include "view/packed_dib.h"
#include "view/picture_window_win.h"

namespace annotation_stamp {

bool StampPicture(const std::string& picturePath, const CaseSettings& options,
                  const std::string& text, std::string& failed) {
    failed = picturePath;
    PackedDib picture;
    if (!picture_window::LoadPictureFile(picturePath, picture))
        return false;
    SIZE measured{};
    {
        win::WindowDc screen(nullptr);
        win::MemoryDc memory(CreateCompatibleDC(screen.get()));
        if (!memory)
            return false;
        measured = annotation_glyphs::MeasureStamp(
            memory.get(), stamp::stampObject(options, text, 0, 0, 0, 0).fontHeight, text);
    }
    const std::vector<annotation::Object> objects{stamp::stampObject(
        options, text, measured.cx, measured.cy, picture.width(), picture.height())};
    std::vector<uint8_t> png;
    failed = annotation::flattenedPath(picturePath);
    if (!annotation_glyphs::FlattenedPng(picture, objects, png))
        return false;
    // The flattened picture first, as the editor saves: a sidecar never
    // names objects that the picture leaving Zelcap does not show.
    DWORD error = 0;
    if (win::ReplaceContents(failed.c_str(), "zan", std::string(png.begin(), png.end()), &error) !=
        win::ReplaceStep::done)
        return false;
    failed = annotation::sidecarPath(picturePath);
    if (win::ReplaceContents(failed.c_str(), "zan", annotation::writeSidecar(objects), &error) !=
        win::ReplaceStep::done)
        return false;
    failed.clear();
    return true;
}

}  // namespace annotation_stamp
