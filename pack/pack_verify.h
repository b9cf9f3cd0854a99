// The check of a one-file HTML pack: each picture's bytes decoded from its
// data: URI and hashed as they stream past, the manifest and the log taken
// from the page's text, then every picture checked against the manifest
// inside and the log's chain, with findings in the shape the verify command
// reports for a history (history/evidence_verify.h). Platform-free: the
// hashing is the caller's.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "base/base64.h"
#include "base/sha256.h"
#include "history/evidence_verify.h"

namespace pack {

// A SHA-256 taken over pieces: begin, update for each piece, finish.
struct StreamDigest {
    std::function<void()> begin;
    std::function<void(const void* data, std::size_t size)> update;
    std::function<Sha256Digest()> finish;
};

struct ScannedPicture {
    int record = 0;
    std::string name;  // CP932
    Sha256Digest digest;
    bool decoded = false;  // its base64 was whole and well-formed
    bool reencoded = false;  // a PDF holds it re-compressed: no file bytes to hash
};

struct ScannedAttachment {
    std::string name;   // CP932
    std::string bytes;  // the file's own bytes
    bool whole = false; // its end was found, within the size a manifest or log can have
};

struct PackContents {
    std::vector<ScannedPicture> pictures;
    std::vector<ScannedAttachment> attachments;
};

// Reads a pack fed in pieces of any size; the same bytes give the same
// contents however they are cut. Holds at most one tag, or one attachment,
// of the text at a time.
class PackScanner {
  public:
    explicit PackScanner(StreamDigest digest) : digest_(std::move(digest)) {}
    void feed(const char* data, std::size_t size);
    PackContents finish();

  private:
    enum class State { text, picture, attachment };
    void scanText();
    void scanPicture();
    void scanAttachment();
    void closePicture(bool ended);
    void closeAttachment(const std::string& escaped, bool ended);

    StreamDigest digest_;
    State state_ = State::text;
    std::string pending_;
    std::string decoded_;
    bool base64Failed_ = false;
    base64::Decoder decoder_;
    ScannedPicture picture_;
    ScannedAttachment attachment_;
    bool attachmentCp932_ = false;
    PackContents contents_;
};

// The findings: a picture 一致 when a manifest line of its name carries its
// digest, 変更あり when the lines of its name carry others (or its bytes are
// damaged), 未登録 when none names it; the log file against its line, and
// its chain. hashLine hashes the log's lines and the log itself.
VerifyResult verifyPack(const PackContents& contents, const Sha256Function& hashLine);

}  // namespace pack
