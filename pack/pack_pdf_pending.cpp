// DELETE AT THE MERGE: a stand-in for the PDF writer (pack/pack_pdf.cpp),
// which is built on another branch, so that this branch links without it.
#include "pack/pack_pdf.h"

namespace pack {

PackResult writePackPdf(const PackInput&, const PackOptions&, const std::string&,
                        const PackReader&, const PackSink&, const PackProgress&) {
    PackResult result;
    result.message = "PDF は使えません。";
    return result;
}

}  // namespace pack
