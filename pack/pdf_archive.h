// What makes the pack's PDF an archival one (PDF/A-3b): the sRGB output
// intent, the XMP metadata that says so and agrees with the document
// information, and the attached files with their relationship. Platform-free.
#pragma once

#include <string>
#include <vector>

#include "pack/pdf_writer.h"

namespace pack::pdf {

// A small ICC profile of sRGB (D50 primaries, gamma 2.2), for the output
// intent that the pictures' device colours are read against.
std::string srgbProfile();

// The document's title, author (may be empty) and date as the document
// information and the XMP metadata both give them.
struct DocumentInfo {
    std::string title, author, created;  // CP932; created as ISO 8601 with its offset
};
extern const char* const kProducer;
std::string xmpMetadata(const DocumentInfo& info);
std::string infoDictionary(const DocumentInfo& info);

// Writes the output intent and the metadata stream; returns the catalog
// entries that name them.
std::string writeArchiveObjects(Writer& out, const DocumentInfo& info);

// Writes each attachment as an embedded file and the entry that names it;
// returns the catalog entries (/Names ... /AF [...]), empty without any.
std::string writeAttachments(Writer& out, const std::vector<PackAttachment>& files,
                             const std::string& created);

// The file identifier of the trailer (32 hex digits), from what the pack
// holds.
std::string documentId(const PackInput& input);

}  // namespace pack::pdf
