// Stamps a picture file just captured: the stamp object goes to its sidecar
// "<picture>.zan" and the picture with the stamp to its flattened picture
// "<stem>_ann.png", as the editor writes them; the picture file itself is
// never written. The layout is view/annotation_stamp.h.
#pragma once

#include <string>

#include "settings/case_settings.h"

namespace annotation_stamp {

// The stamp of `text` (CP932) in the options' corner, colours and font
// height. False with `failed` set to the file that could not be read or
// written; the caller tells the user.
bool StampPicture(const std::string& picturePath, const CaseSettings& options,
                  const std::string& text, std::string& failed);

}  // namespace annotation_stamp
