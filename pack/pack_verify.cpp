#include "pack/pack_verify.h"

#include <cstdlib>
#include <string>

#include "base/base64.h"
#include "base/cp932.h"
#include "base/text_encoding.h"

namespace pack {

namespace {

constexpr char kPictureTag[] = "<img class=\"zpic\"";
constexpr char kAttachmentTag[] = "<pre class=\"zatt\"";
constexpr char kBase64Start[] = ";base64,";
constexpr char kAttachmentEnd[] = "</pre>";
constexpr std::size_t kTagLength = sizeof kPictureTag - 1;
static_assert(sizeof kPictureTag == sizeof kAttachmentTag, "one look-behind for both tags");
// A tag of ours is well under this; a longer one is not ours.
constexpr std::size_t kTagLimit = 8 * 1024;
// As the verify command reads a history's manifest and log.
constexpr std::size_t kAttachmentLimit = 64u << 20;

std::string unescape(const std::string& text) {
    static const struct {
        const char* entity;
        char c;
    } kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& e : kEntities) {
            const std::string entity = e.entity;
            if (text.compare(i, entity.size(), entity) == 0) {
                out += e.c;
                i += entity.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += text[i++];
    }
    return out;
}

// The value of name="..." in a tag, unescaped; empty when absent.
std::string attribute(const std::string& tag, const char* name) {
    const std::string key = std::string(" ") + name + "=\"";
    const std::size_t start = tag.find(key);
    if (start == std::string::npos)
        return std::string();
    const std::size_t from = start + key.size();
    const std::size_t end = tag.find('"', from);
    return unescape(tag.substr(from, end == std::string::npos ? std::string::npos : end - from));
}

std::string shownName(const std::string& utf8) {
    return text_encoding::utf8ToCp932Shown(utf8);
}

}  // namespace

void PackScanner::feed(const char* data, std::size_t size) {
    pending_.append(data, size);
    for (;;) {
        const std::size_t before = pending_.size();
        const State state = state_;
        if (state_ == State::text)
            scanText();
        else if (state_ == State::picture)
            scanPicture();
        else
            scanAttachment();
        if (state == state_ && pending_.size() == before)
            return;
    }
}

void PackScanner::scanText() {
    const std::size_t img = pending_.find(kPictureTag);
    const std::size_t pre = pending_.find(kAttachmentTag);
    const std::size_t at = img < pre ? img : pre;
    if (at == std::string::npos) {
        // Keep what could be the start of a tag cut by the piece's end.
        if (pending_.size() >= kTagLength)
            pending_.erase(0, pending_.size() - (kTagLength - 1));
        return;
    }
    pending_.erase(0, at);
    const bool isPicture = at == img;
    const std::size_t end = isPicture ? pending_.find(kBase64Start) : pending_.find('>');
    if (end == std::string::npos || end > kTagLimit) {
        if (pending_.size() > kTagLimit)
            pending_.erase(0, kTagLength);  // no tag of ours: look further on
        return;
    }
    const std::string tag = pending_.substr(0, end);
    if (isPicture) {
        picture_ = ScannedPicture{};
        picture_.record = std::atoi(attribute(tag, "data-record").c_str());
        picture_.name = shownName(attribute(tag, "data-name"));
        decoder_ = base64::Decoder{};
        base64Failed_ = false;
        if (digest_.begin)
            digest_.begin();
        pending_.erase(0, end + sizeof kBase64Start - 1);
        state_ = State::picture;
    } else {
        attachment_ = ScannedAttachment{};
        attachment_.name = shownName(attribute(tag, "data-name"));
        attachmentCp932_ = attribute(tag, "data-encoding") == "cp932";
        pending_.erase(0, end + 1);
        state_ = State::attachment;
    }
}

void PackScanner::scanPicture() {
    const std::size_t quote = pending_.find('"');
    const std::size_t take = quote == std::string::npos ? pending_.size() : quote;
    decoded_.clear();
    if (!decoder_.feed(pending_.data(), take, decoded_))
        base64Failed_ = true;
    if (!decoded_.empty() && digest_.update)
        digest_.update(decoded_.data(), decoded_.size());
    pending_.erase(0, quote == std::string::npos ? take : take + 1);
    if (quote != std::string::npos)
        closePicture(true);
}

void PackScanner::closePicture(bool ended) {
    decoded_.clear();
    const bool finished = decoder_.finish(decoded_);
    if (!decoded_.empty() && digest_.update)
        digest_.update(decoded_.data(), decoded_.size());
    picture_.digest = digest_.finish ? digest_.finish() : Sha256Digest{};
    picture_.decoded = ended && finished && !base64Failed_;
    contents_.pictures.push_back(picture_);
    state_ = State::text;
}

void PackScanner::scanAttachment() {
    const std::size_t end = pending_.find(kAttachmentEnd);
    if (end == std::string::npos) {
        if (pending_.size() > kAttachmentLimit) {
            // Not a file of ours: give it up and read on.
            contents_.attachments.push_back(attachment_);
            pending_.erase(0, pending_.size() - (sizeof kAttachmentEnd - 2));
            state_ = State::text;
        }
        return;
    }
    closeAttachment(pending_.substr(0, end), true);
    pending_.erase(0, end + sizeof kAttachmentEnd - 1);
}

void PackScanner::closeAttachment(const std::string& escaped, bool ended) {
    const std::string text = unescape(escaped);
    bool converted = true;
    if (attachmentCp932_) {
        converted = text_encoding::utf8ToCp932(text, attachment_.bytes);
        if (!converted)
            attachment_.bytes = text_encoding::utf8ToCp932Shown(text);
    } else {
        attachment_.bytes = text;
    }
    attachment_.whole = ended && converted;
    contents_.attachments.push_back(attachment_);
    state_ = State::text;
}

PackContents PackScanner::finish() {
    if (state_ == State::picture)
        closePicture(false);
    else if (state_ == State::attachment)
        closeAttachment(pending_, false);
    state_ = State::text;
    pending_.clear();
    PackContents out = std::move(contents_);
    contents_ = PackContents{};
    return out;
}

namespace {

bool endsWith(const std::string& name, const char* suffix) {
    const std::size_t n = std::char_traits<char>::length(suffix);
    return name.size() >= n &&
           cp932::equalFoldingAscii(name.data() + name.size() - n, n, suffix, n);
}

const ScannedAttachment* attachmentEnding(const PackContents& contents, const char* suffix) {
    for (const ScannedAttachment& a : contents.attachments)
        if (endsWith(a.name, suffix))
            return &a;
    return nullptr;
}

// The CP932 file name of a manifest line (its last part).
std::string entryName(const ManifestEntry& entry) {
    const std::string path = text_encoding::isUtf8(entry.path)
                                 ? text_encoding::utf8ToCp932Shown(entry.path)
                                 : entry.path;
    const cp932::NameParts parts = cp932::nameParts(path.data(), path.size());
    return path.substr(parts.nameStart);
}

VerifiedFile checkAgainst(const Manifest* manifest, int record, FileRole role,
                          const std::string& name, const Sha256Digest& digest, bool intact) {
    VerifiedFile file;
    file.record = record;
    file.role = role;
    file.path = name;
    bool any = false;
    bool all = true;
    for (std::size_t i = 0; manifest != nullptr && i < manifest->entries.size(); ++i) {
        const ManifestEntry& e = manifest->entries[i];
        const std::string n = entryName(e);
        if (!cp932::equalFoldingAscii(n.data(), n.size(), name.data(), name.size()))
            continue;
        any = true;
        all = all && intact && e.digest == digest;
        file.afterwards = file.afterwards || e.afterwards;
    }
    file.state = !any ? FileState::unlisted : all ? FileState::match : FileState::changed;
    return file;
}

}  // namespace

VerifyResult verifyPack(const PackContents& contents, const Sha256Function& hashLine) {
    VerifyResult result;
    const ScannedAttachment* manifestFile = attachmentEnding(contents, ".sha256");
    const ScannedAttachment* logFile = attachmentEnding(contents, ".zlog");
    Manifest manifest;
    if (manifestFile != nullptr) {
        result.hasManifest = true;
        manifest = parseManifest(manifestFile->bytes.data(), manifestFile->bytes.size());
        for (int line : manifest.damagedLines)
            result.manifestNotes.push_back({line, ManifestIssue::damaged, PlaceCheck::ok, ""});
        // A manifest cut short by a damaged page is damage too, after its last line.
        if (!manifestFile->whole)
            result.manifestNotes.push_back(
                {static_cast<int>(manifest.entries.size() + manifest.damagedLines.size() + 1),
                 ManifestIssue::damaged, PlaceCheck::ok, ""});
    }
    const Manifest* listed = manifestFile != nullptr ? &manifest : nullptr;
    for (const ScannedPicture& p : contents.pictures) {
        result.files.push_back(
            checkAgainst(listed, p.record, FileRole::picture, p.name, p.digest, p.decoded));
        if (p.reencoded && result.files.back().state != FileState::unlisted)
            result.files.back().state = FileState::reencoded;
    }
    if (logFile != nullptr) {
        result.hasLog = true;
        const EvidenceLog log = parseEvidenceLog(logFile->bytes.data(), logFile->bytes.size());
        result.chainBrokenAt = firstBrokenLine(log, hashLine);
        result.logDamagedLines = log.damagedLines();
        if (!logFile->whole && result.chainBrokenAt == 0)
            result.chainBrokenAt = static_cast<int>(log.lines.size()) + 1;
        result.files.push_back(checkAgainst(listed, 0, FileRole::log, logFile->name,
                                            hashLine(logFile->bytes.data(), logFile->bytes.size()),
                                            logFile->whole));
    }
    return result;
}

}  // namespace pack
