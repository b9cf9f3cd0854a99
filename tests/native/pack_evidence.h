// The manifest and chained log a saved history would carry for a pack's
// pictures, attached to the pack's input as the shell attaches them.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "history/evidence_log.h"
#include "history/evidence_manifest.h"
#include "pack/pack_input.h"
#include "tests/native/openssl_sha256.h"

struct EvidencePicture {
    std::string name;          // as the log and the records name it
    std::string manifestPath;  // as the manifest writes it (UTF-8, relative)
    Sha256Digest digest;
};

inline void attachEvidence(pack::PackInput& input, const std::vector<EvidencePicture>& pictures) {
    const Sha256Function hash = [](const void* data, std::size_t size) { return opensslSha256(data, size); };
    std::vector<ManifestEntry> entries;
    std::string log;
    Sha256Digest last = kLogFirstPrevious;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        ManifestEntry e;
        e.digest = pictures[i].digest;
        e.path = pictures[i].manifestPath;
        entries.push_back(e);
        LogEntry line;
        line.time = "2026/12/10 21:05:00";
        line.record = static_cast<int>(i) + 1;
        line.path = pictures[i].name;
        line.file = pictures[i].digest;
        EXPECT_TRUE(appendLogLine(log, last, line, hash));
    }
    ManifestEntry logEntry;
    logEntry.digest = opensslSha256(log);
    logEntry.path = "h.zlog";
    entries.push_back(logEntry);
    input.attachments.push_back({"h.sha256", "text/plain", writeManifest(entries)});
    input.attachments.push_back({"h.zlog", "text/plain", log});
}
