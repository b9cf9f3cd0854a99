#include "history/evidence_book_win.h"

#include <cstdio>
#include <vector>

#include "base/cp932.h"
#include "base/file_io_win.h"
#include "base/file_names_win.h"
#include "base/message_box_win.h"
#include "base/sha256_win.h"
#include "base/win_handles_win.h"
#include "history/evidence_manifest.h"
#include "history/evidence_verify_win.h"
#include "history/history_paths.h"
#include "settings/settings_store.h"
#include "picture/annotation_file.h"

EvidenceBook evidenceBook;

namespace {

std::string Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[kDateTimeSize];
    formatTimestamp(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, text);
    return text;
}

Sha256Digest HashLine(const void* data, std::size_t size) {
    return win::sha256OrZero(data, size);
}

}  // namespace

bool HashFile(const std::string& path, Sha256Digest& out) {
    return win::sha256File(path, out);
}

void EvidenceBook::reset() {
    flush();
    known_.clear();
    log_.clear();
    unwritten_.clear();
    last_ = kLogFirstPrevious;
    folder_ = history.folder;
}

void EvidenceBook::load(const History& current) {
    reset();
    folder_ = current.folder;
    const char* csvPath = current.filePath;
    std::string bytes;
    const std::vector<std::string> allowed{current.folder, settingsStore.settings.saveFolder};
    if (win::ReadWholeFile(EvidenceFileBeside(csvPath, ".sha256").c_str(), bytes,
                           int64_t{64} << 20)) {
        const Manifest manifest = parseManifest(bytes.data(), bytes.size());
        for (const ManifestEntry& e : manifest.entries) {
            std::string path;
            if (windowsPathFor(folder_, e.path, allowed, path) == PlaceCheck::ok)
                known_[win::FileNameKey(path)] = e.digest;
        }
    }
    if (win::ReadWholeFile(EvidenceFileBeside(csvPath, ".zlog").c_str(), bytes,
                           int64_t{64} << 20)) {
        log_ = bytes;
        last_ = lastLineHash(parseEvidenceLog(bytes.data(), bytes.size()), HashLine);
    }
}

void EvidenceBook::append(LogEvent what, int record, const std::string& path,
                          const Sha256Digest& digest) {
    unwritten_.push_back({Now(), what, record, path, digest});
}

void EvidenceBook::capturedLater(int record, const std::string& path,
                                 std::future<std::pair<bool, Sha256Digest>> digest) {
    flush();
    pending_ = Pending{record, path, std::move(digest)};
}

void EvidenceBook::flush() {
    if (!pending_)
        return;
    Pending p = std::move(*pending_);
    pending_.reset();
    const std::pair<bool, Sha256Digest> digest = p.digest.get();
    if (digest.first)
        captured(p.record, p.path, digest.second);
}

void EvidenceBook::captured(int record, const std::string& path, const Sha256Digest& digest) {
    flush();
    if (folder_.empty())
        folder_ = history.folder;
    known_[win::FileNameKey(path)] = digest;
    append(LogEvent::capture, record, path, digest);
}

bool EvidenceBook::pinned(const std::string& path, Sha256Digest& out) {
    flush();
    const auto found = known_.find(win::FileNameKey(path));
    if (found == known_.end())
        return false;
    out = found->second;
    return true;
}

bool EvidenceBook::digestOf(const std::string& path, Sha256Digest& out) {
    flush();
    const auto found = known_.find(win::FileNameKey(path));
    if (found != known_.end()) {
        out = found->second;
        return true;
    }
    if (!HashFile(path, out))
        return false;
    known_[win::FileNameKey(path)] = out;
    return true;
}

void EvidenceBook::event(LogEvent what, int record, const std::string& path) {
    flush();
    if (folder_.empty())
        folder_ = history.folder;
    Sha256Digest digest{};
    if (!path.empty())
        digestOf(path, digest);
    append(what, record, path, digest);
}

bool EvidenceBook::save(const History& current, HWND owner) {
    flush();
    // The paths of a history saved under another folder are relative to
    // that folder from now on.
    folder_ = current.folder;
    append(LogEvent::save, 0, current.filePath, Sha256Digest{});
    // The lines written by an earlier save stay as they were: a log on disk
    // is never spelled again, its chain is what it pins.
    std::string log = log_;
    Sha256Digest last = last_;
    appendLogEvents(log, last, unwritten_, folder_, HashLine);
    const std::string logPath = EvidenceFileBeside(current.filePath, ".zlog");
    const std::string manifestPath = EvidenceFileBeside(current.filePath, ".sha256");
    std::vector<ManifestEntry> entries;
    const auto add = [&](const std::string& path) {
        Sha256Digest digest;
        if (!path.empty() && digestOf(path, digest))
            addManifestEntry(entries, folder_, path, digest, false);
    };
    for (int i = 0; i < current.count; ++i) {
        const HistoryRecord& r = current.records[i];
        char picture[kPathSize], text[kPathSize];
        resolvedImagePath(r, current.folder, picture);
        resolvedTextPath(r.textFile, current.folder, text);
        // A picture is listed with the digest pinned when it was captured,
        // imported or last listed, never with one taken now as if it had
        // been: a picture of an older history stays unlisted (未登録) until
        // the verify command lists it, marked as made afterwards. That also
        // keeps a save from reading every picture of a long history.
        const auto pinned = known_.find(win::FileNameKey(picture));
        if (pinned != known_.end())
            addManifestEntry(entries, folder_, picture, pinned->second, false);
        // The description file is the user's, pinned as it is saved.
        known_.erase(win::FileNameKey(text));
        add(text);
        for (const std::string& annotated :
             {annotation::sidecarPath(picture), annotation::flattenedPath(picture)})
            if (GetFileAttributesA(annotated.c_str()) != INVALID_FILE_ATTRIBUTES) {
                known_.erase(win::FileNameKey(annotated));  // written by the editor since
                add(annotated);
            }
    }
    // The test cases are evidence as much as the pictures; a history that
    // has no case file keeps the manifest it had before cases existed.
    const std::string casePath = EvidenceFileBeside(current.filePath, ".zcase");
    if (GetFileAttributesA(casePath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        known_.erase(win::FileNameKey(casePath));  // written by this save
        add(casePath);
    }
    DWORD error = 0;
    const char* failed = nullptr;
    if (win::ReplaceContents(logPath.c_str(), "zlg", log, &error) != win::ReplaceStep::done) {
        failed = logPath.c_str();
    } else {
        log_ = std::move(log);
        last_ = last;
        unwritten_.clear();
        Sha256Digest logDigest;
        if (win::sha256(log_.data(), log_.size(), logDigest))
            addManifestEntry(entries, folder_, logPath, logDigest, false);
        if (win::ReplaceContents(manifestPath.c_str(), "zsh", writeManifest(entries), &error) !=
            win::ReplaceStep::done)
            failed = manifestPath.c_str();
    }
    if (failed) {
        std::string text = "証跡ファイルを保存できませんでした。\r\n";
        text += failed;
        ShowMessage(owner, text.c_str(), "エラー", MB_ICONERROR | MB_OK);
        return false;
    }
    return true;
}
