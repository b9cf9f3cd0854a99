#include "report/export_picture.h"

#include "history/open_records.h"

const char* const kWithheldPictureNote =
    "注釈のマスクを反映した画像がないため、画像を載せていません";

ExportPicture exportPicture(const std::string& picturePath, const PictureFiles& files) {
    ExportPicture picture;
    picture.path = picturePath;
    if (!files.exists || !isImageFileName(picturePath.c_str()))
        return picture;
    const std::string sidecar = annotation::sidecarPath(picturePath);
    const std::string flattened = annotation::flattenedPath(picturePath);
    const bool sidecarExists = files.exists(sidecar);
    std::string bytes;
    // A sidecar that is there but cannot be read may hold a mask: it counts
    // as one that cannot be parsed.
    if (sidecarExists && (!files.read || !files.read(sidecar, bytes)))
        bytes.clear();
    picture.choice = annotation::choosePicture(sidecarExists, bytes, files.exists(flattened));
    switch (picture.choice) {
        case annotation::ExportChoice::original:
            break;
        case annotation::ExportChoice::flattened:
            picture.path = flattened;
            break;
        case annotation::ExportChoice::withheld:
            picture.path.clear();
            break;
    }
    return picture;
}
