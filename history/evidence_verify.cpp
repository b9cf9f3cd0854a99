#include "history/evidence_verify.h"

#include <algorithm>

#include "base/cp932.h"

namespace {

bool sameKey(const std::string& a, const std::string& b) {
    return cp932::equalFoldingAscii(a.data(), a.size(), b.data(), b.size());
}

// One spelling per file, so that "C:/hist/a.bmp" and "a.bmp" in a manifest
// of C:\hist meet: the manifest path of the Windows path it names. Empty
// when the manifest path names no file that may be opened.
std::string keyOfManifestPath(const VerifyInput& input, const std::string& path,
                              PlaceCheck* place = nullptr) {
    std::string windowsPath;
    const PlaceCheck check =
        windowsPathFor(input.manifestFolder, path, input.allowedFolders, windowsPath);
    if (place != nullptr)
        *place = check;
    std::string key;
    if (check != PlaceCheck::ok || !manifestPathFor(input.manifestFolder, windowsPath, key))
        return std::string();
    return key;
}

struct KeyedEntry {
    std::string key;
    const ManifestEntry* entry;
};

void checkFile(const VerifyInput& input, const std::vector<KeyedEntry>& listed, int record,
               FileRole role, const std::string& windowsPath, VerifyResult& result,
               std::vector<bool>& used) {
    VerifiedFile file;
    file.record = record;
    file.role = role;
    std::string key;
    const bool named = manifestPathFor(input.manifestFolder, windowsPath, key);
    file.path = named ? key : windowsPath;
    Sha256Digest digest;
    if (!input.hashFile(windowsPath, digest)) {
        file.state = FileState::missing;
    } else {
        // Every line that names the file must agree with it, as sha256sum
        // -c would have each of them pass.
        bool any = false;
        bool all = true;
        for (std::size_t i = 0; named && i < listed.size(); ++i) {
            if (listed[i].key.empty() || !sameKey(listed[i].key, key))
                continue;
            any = true;
            all = all && listed[i].entry->digest == digest;
            file.afterwards = file.afterwards || listed[i].entry->afterwards;
        }
        file.state = !any ? FileState::unlisted : all ? FileState::match : FileState::changed;
    }
    for (std::size_t i = 0; named && i < listed.size(); ++i)
        if (!listed[i].key.empty() && sameKey(listed[i].key, key))
            used[i] = true;
    result.files.push_back(std::move(file));
}

// The pictures in the order the log's events leave them.
std::vector<std::string> replayOrder(const VerifyInput& input) {
    std::vector<std::string> order;
    const auto find = [&](const std::string& key) {
        return std::find_if(order.begin(), order.end(),
                            [&](const std::string& k) { return sameKey(k, key); });
    };
    const auto at = [&](int record) {
        return order.begin() + std::min<std::size_t>(record > 0 ? record - 1 : 0, order.size());
    };
    for (const LogLine& line : input.log->lines) {
        if (!line.valid)
            continue;
        const LogEntry& e = line.entry;
        std::string key = keyOfManifestPath(input, e.path);
        if (key.empty())
            key = e.path;
        switch (e.event) {
            case LogEvent::capture:
            case LogEvent::import:
                order.insert(at(e.record), key);
                break;
            case LogEvent::deletion: {
                const auto found = find(key);
                if (found != order.end())
                    order.erase(found);
                else if (e.record >= 1 && static_cast<std::size_t>(e.record) <= order.size())
                    order.erase(order.begin() + (e.record - 1));
                break;
            }
            case LogEvent::move: {
                const auto found = find(key);
                if (found != order.end()) {
                    order.erase(found);
                    order.insert(at(e.record), key);
                }
                break;
            }
            case LogEvent::annotate:
            case LogEvent::save:
                break;
        }
    }
    return order;
}

void checkOrder(const VerifyInput& input, VerifyResult& result) {
    const std::vector<std::string> order = replayOrder(input);
    std::vector<bool> seen(order.size(), false);
    for (std::size_t i = 0; i < input.records.size(); ++i) {
        std::string key;
        if (!manifestPathFor(input.manifestFolder, input.records[i].picture, key))
            key = input.records[i].picture;
        int logRecord = 0;
        for (std::size_t j = 0; j < order.size(); ++j)
            if (!seen[j] && sameKey(order[j], key)) {
                seen[j] = true;
                logRecord = static_cast<int>(j) + 1;
                break;
            }
        if (logRecord != static_cast<int>(i) + 1)
            result.order.push_back({static_cast<int>(i) + 1, logRecord, key});
    }
    for (std::size_t j = 0; j < order.size(); ++j)
        if (!seen[j])
            result.order.push_back({0, static_cast<int>(j) + 1, order[j]});
}

const char* roleText(FileRole role) {
    switch (role) {
        case FileRole::picture:
            return "画像";
        case FileRole::description:
            return "説明";
        case FileRole::other:
            return "その他";
        case FileRole::log:
            return "ログ";
    }
    return "";
}

const char* placeText(PlaceCheck place) {
    switch (place) {
        case PlaceCheck::ok:
            return "";
        case PlaceCheck::malformed:
            return "パスの形が正しくありません";
        case PlaceCheck::climbs:
            return "履歴のフォルダーの外を指しています";
        case PlaceCheck::device:
            return "デバイス名を指しています";
        case PlaceCheck::notAllowed:
            return "履歴が使うフォルダーの外です";
        case PlaceCheck::tooLong:
            return "パスが長すぎます";
    }
    return "";
}

std::string number(int value) {
    return std::to_string(value);
}

// The folder part of a full Windows path, without the separator.
std::string folderOf(const std::string& path) {
    std::size_t cut = std::string::npos;
    for (std::size_t i = 0; i < path.size();) {
        const std::size_t n = cp932::charLength(path.data(), path.size(), i);
        if (n == 1 && (path[i] == '\\' || path[i] == '/'))
            cut = i;
        i += n;
    }
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace

const char* fileStateText(FileState state) {
    switch (state) {
        case FileState::match:
            return "一致";
        case FileState::changed:
            return "変更あり";
        case FileState::missing:
            return "見つかりません";
        case FileState::unlisted:
            return "未登録";
        case FileState::reencoded:
            return "PDF内で再圧縮: 照合できません";
    }
    return "";
}

VerifyResult verifyEvidence(const VerifyInput& given) {
    // The folders of the records' own files are the history's too; only
    // those files are ever hashed, so allowing them opens nothing new.
    VerifyInput input = given;
    for (const EvidenceRecord& r : given.records) {
        input.allowedFolders.push_back(folderOf(r.picture));
        if (!r.description.empty())
            input.allowedFolders.push_back(folderOf(r.description));
        for (const std::string& other : r.others)
            input.allowedFolders.push_back(folderOf(other));
    }
    VerifyResult result;
    result.hasManifest = input.manifest != nullptr;
    result.hasLog = input.log != nullptr;

    std::vector<KeyedEntry> listed;
    if (input.manifest != nullptr) {
        for (int line : input.manifest->damagedLines)
            result.manifestNotes.push_back({line, ManifestIssue::damaged, PlaceCheck::ok, ""});
        for (const ManifestEntry& entry : input.manifest->entries) {
            PlaceCheck place = PlaceCheck::ok;
            listed.push_back({keyOfManifestPath(input, entry.path, &place), &entry});
            if (place != PlaceCheck::ok)
                result.manifestNotes.push_back(
                    {entry.line, ManifestIssue::refused, place, entry.path});
        }
    }
    std::vector<bool> used(listed.size(), false);
    for (std::size_t i = 0; i < input.records.size(); ++i) {
        const EvidenceRecord& r = input.records[i];
        const int record = static_cast<int>(i) + 1;
        checkFile(input, listed, record, FileRole::picture, r.picture, result, used);
        if (!r.description.empty())
            checkFile(input, listed, record, FileRole::description, r.description, result, used);
        for (const std::string& other : r.others)
            checkFile(input, listed, record, FileRole::other, other, result, used);
    }
    std::string logKey;
    if (!input.logPath.empty() && manifestPathFor(input.manifestFolder, input.logPath, logKey) &&
        std::any_of(listed.begin(), listed.end(),
                    [&](const KeyedEntry& e) { return sameKey(e.key, logKey); }))
        checkFile(input, listed, 0, FileRole::log, input.logPath, result, used);
    for (std::size_t i = 0; i < listed.size(); ++i)
        if (!used[i] && !listed[i].key.empty())
            result.manifestNotes.push_back({listed[i].entry->line, ManifestIssue::notInHistory,
                                            PlaceCheck::ok, listed[i].entry->path});
    std::stable_sort(result.manifestNotes.begin(), result.manifestNotes.end(),
                     [](const ManifestNote& a, const ManifestNote& b) { return a.line < b.line; });

    if (input.log != nullptr) {
        result.chainBrokenAt = firstBrokenLine(*input.log, input.hashLine);
        result.logDamagedLines = input.log->damagedLines();
        checkOrder(input, result);
    }
    return result;
}

std::string verifyReportText(const VerifyResult& result) {
    std::string text;
    const auto line = [&](const std::string& s) { text += s + "\r\n"; };
    if (!result.hasManifest)
        line("マニフェストがありません");
    for (const VerifiedFile& f : result.files)
        line(std::string(fileStateText(f.state)) + "\t" + (f.record > 0 ? number(f.record) : "-") +
             "\t" + roleText(f.role) + "\t" + f.path + (f.afterwards ? "\t（後から作成）" : ""));
    for (const ManifestNote& n : result.manifestNotes) {
        const std::string where = "マニフェスト " + number(n.line) + " 行目: ";
        switch (n.issue) {
            case ManifestIssue::damaged:
                line(where + "読めない行です");
                break;
            case ManifestIssue::refused:
                line(where + placeText(n.place) + "（開きません）: " + n.path);
                break;
            case ManifestIssue::notInHistory:
                line(where + "履歴にないファイルです: " + n.path);
                break;
        }
    }
    for (const OrderNote& o : result.order) {
        if (o.record == 0)
            line("ログの " + number(o.logRecord) + " 番目の記録が履歴にありません: " + o.path);
        else if (o.logRecord == 0)
            line("記録 " + number(o.record) + ": ログにない記録です: " + o.path);
        else
            line("記録 " + number(o.record) + ": ログでは " + number(o.logRecord) +
                 " 番目の記録です: " + o.path);
    }
    for (int damaged : result.logDamagedLines)
        line("ログ " + number(damaged) + " 行目: 読めない行です");
    if (!result.hasLog)
        line("ログがありません");
    else if (result.chainBrokenAt == 0)
        line("ログの連鎖: 正常");
    else
        line("ログの連鎖: " + number(result.chainBrokenAt) + " 行目で切れています");
    return text;
}

bool verifyClean(const VerifyResult& result) {
    return result.hasManifest && result.hasLog && result.manifestNotes.empty() &&
           result.chainBrokenAt == 0 && result.logDamagedLines.empty() && result.order.empty() &&
           std::all_of(result.files.begin(), result.files.end(),
                       [](const VerifiedFile& f) { return f.state == FileState::match; });
}

std::vector<ManifestEntry> manifestFromFiles(const std::string& manifestFolder,
                                             const std::vector<EvidenceRecord>& records,
                                             const FileHashFunction& hashFile,
                                             std::vector<std::string>& leftOut) {
    std::vector<ManifestEntry> entries;
    const auto add = [&](const std::string& path) {
        Sha256Digest digest;
        if (!hashFile(path, digest) ||
            !addManifestEntry(entries, manifestFolder, path, digest, true))
            leftOut.push_back(path);
    };
    for (const EvidenceRecord& r : records) {
        add(r.picture);
        if (!r.description.empty())
            add(r.description);
        for (const std::string& other : r.others)
            add(other);
    }
    return entries;
}
