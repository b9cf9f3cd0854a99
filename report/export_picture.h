// Which file of a record a report or a workbook shows: its picture, the
// flattened picture of its annotations, or none at all when only the
// unmasked original is there. One rule for both outputs. Platform-free:
// the file system is asked through PictureFiles.
#pragma once

#include <functional>
#include <string>

#include "view/annotation_file.h"

struct PictureFiles {
    // A file (not a folder) at the CP932 path.
    std::function<bool(const std::string& path)> exists;
    // Its bytes; false when it cannot be read.
    std::function<bool(const std::string& path, std::string& bytes)> read;
};

struct ExportPicture {
    annotation::ExportChoice choice = annotation::ExportChoice::original;
    // The file to show: the record's picture, or its flattened picture;
    // empty when withheld, so that nothing reads the original by mistake.
    std::string path;
};

// For the record's resolved picture path. A record whose file is no
// picture (a text record), or files without `exists`, goes as it is.
ExportPicture exportPicture(const std::string& picturePath, const PictureFiles& files);

// What stands in place of a withheld picture (CP932).
extern const char* const kWithheldPictureNote;
