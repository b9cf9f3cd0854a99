// The pack as one self-contained HTML file: every picture a data: URI, no
// script, nothing fetched from anywhere, the manifest and the log in the
// page as text. Written in pieces through the sink: at no time is more than
// one picture's chunk and the page's current part held.
//
// The page is UTF-8 (declared in a meta element, before any other text):
// the manifest's names are UTF-8 while the log, the CSV and the program's
// texts are CP932, and only a Unicode page shows them all as they are. The
// CP932 texts are converted as code page 932 of Windows converts them.
//
// What the pack's checker (pack_verify.h) reads back, in this order:
//   <img class="zpic" data-record="N" data-name="NAME" alt="NAME" src="data:MIME;base64,...">
//   <pre class="zatt" data-name="NAME" data-encoding="utf-8|cp932">TEXT</pre>
// NAME and TEXT escaped (&amp; &lt; &gt; &quot;); data-encoding says what the
// file's own bytes were, so that a CP932 log is given back byte for byte.
#pragma once

#include <string>

#include "pack/pack_input.h"

namespace pack {

constexpr std::size_t kHtmlFlushSize = 64 * 1024;

PackResult writePackHtml(const PackInput& input, const PackOptions& options,
                         const PackReader& read, const PackSink& out,
                         const PackProgress& progress);

// A CP932 text as the page shows it: UTF-8, & < > " as entities, a lone
// lead byte as "?".
std::string htmlText(const std::string& cp932);

// What stands in place of a picture that cannot be read (CP932).
extern const char* const kUnreadablePictureNote;

}  // namespace pack
