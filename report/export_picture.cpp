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

const char* const kDigestUnknown = "（ファイルを読めません）";

std::string exportDigestHex(const ExportDigests& digests, const ExportPicture& picture) {
    Sha256Digest digest;
    if (picture.path.empty())
        return {};
    const bool original = picture.choice == annotation::ExportChoice::original;
    if ((original && digests.pinned && digests.pinned(picture.path, digest)) ||
        (digests.ofFile && digests.ofFile(picture.path, digest)))
        return sha256Hex(digest);
    return {};
}

std::string manifestCoverLine(const ExportDigests& digests) {
    if (digests.manifestName.empty())
        return "マニフェスト なし（履歴の保存時に作られます）";
    std::string line =
        "マニフェスト " + digests.manifestName + "  SHA-256: " + sha256Hex(digests.manifest);
    // The file on disk is what a reader can check; the changes after the
    // last save are not in it, and the page must not suggest they are.
    if (digests.unsavedChanges)
        line += "（保存されていない変更は含まれません）";
    return line;
}
