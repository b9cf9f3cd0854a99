// The pack as an archival PDF (PDF/A-3): A4 portrait, the Japanese texts in
// an embedded subset font, each record's picture at its own resolution, a
// bookmark per record, the document's metadata, and the CSV, manifest and
// log attached so that the PDF alone can be verified.
#pragma once

#include "pack/pack_input.h"

namespace pack {

// `fontPath`: the TrueType font shipped beside the program.
PackResult writePackPdf(const PackInput& input, const PackOptions& options, const std::string& fontPath,
                        const PackReader& read, const PackSink& out, const PackProgress& progress);

}  // namespace pack
