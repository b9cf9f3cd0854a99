#include "history/case_placement.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "base/cp932.h"

namespace caseplace {

namespace {

using casefile::Entry;
using casefile::Key;

// The key as one text that compares as the names do: ASCII letters folded
// in single-byte characters only, as cp932::equalFoldingAscii compares (the
// trail byte of ド is 'h'). Each part carries its length, so that no text of
// a damaged entry can make two keys one.
std::string lookupText(const std::string& name, const std::string& dateTime, int ordinal) {
    std::string out = std::to_string(name.size());
    out += ':';
    const char* s = name.data();
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t n = cp932::charLength(s, name.size(), i);
        if (n == 1 && s[i] >= 'A' && s[i] <= 'Z')
            out += static_cast<char>(s[i] + ('a' - 'A'));
        else
            out.append(s + i, n);
        i += n;
    }
    out += std::to_string(dateTime.size());
    out += ':';
    out += dateTime;
    out += '#';
    out += std::to_string(ordinal);
    return out;
}

std::string lookupText(const Key& key) {
    return lookupText(key.name, key.dateTime, key.ordinal);
}

std::string fileName(const char* imagePath) {
    const std::size_t length = std::strlen(imagePath);
    return std::string(imagePath + cp932::nameParts(imagePath, length).nameStart);
}

// A text of the file as a message line shows it: a name may hold any byte,
// and a control byte would break the line.
void appendShown(std::string& out, const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = cp932::charLength(text.data(), text.size(), i);
        if (n == 1 && static_cast<unsigned char>(text[i]) < 0x20)
            out += ' ';
        else
            out.append(text, i, n);
        i += n;
    }
}

}  // namespace

std::vector<Key> recordKeys(const History& h) {
    const int count = std::clamp(h.count, 0, kRecordMaximum);
    std::vector<Key> keys(static_cast<std::size_t>(count));
    std::map<std::string, int> seen;  // by name and time, how many so far
    for (int i = 0; i < count; ++i) {
        Key& k = keys[static_cast<std::size_t>(i)];
        k.name = fileName(h.records[i].imagePath);
        k.dateTime = h.records[i].dateTime;
        k.ordinal = seen[lookupText(k.name, k.dateTime, 0)]++;
    }
    return keys;
}

std::size_t place(std::vector<Entry> entries, History& h) {
    h.cases.clear();
    h.casesAside.clear();
    const std::vector<Key> keys = recordKeys(h);
    std::map<std::string, std::size_t> records;
    for (std::size_t i = 0; i < keys.size(); ++i)
        records.emplace(lookupText(keys[i]), i);
    for (Entry& e : entries) {
        const auto found = records.find(lookupText(e.key));
        if (found == records.end()) {
            h.casesAside.push_back(std::move(e));
            continue;
        }
        HistoryRecord& r = h.records[found->second];
        if (r.id == 0)
            r.id = h.newRecordId();
        h.cases.set(r.id, std::move(e.testCase));
        records.erase(found);  // a second entry of the key is kept aside
    }
    return h.casesAside.size();
}

std::vector<Entry> entriesToWrite(const History& h) {
    std::set<std::string> aside;
    for (const Entry& e : h.casesAside)
        aside.insert(lookupText(e.key));
    const std::vector<Key> keys = recordKeys(h);
    std::vector<Entry> out;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const testcase::TestCase* c = h.cases.find(h.records[i].id);
        if (c != nullptr && h.records[i].id != 0)
            out.push_back({keys[i], *c});
        else if (aside.count(lookupText(keys[i])) != 0)
            out.push_back({keys[i], testcase::TestCase{}});
    }
    out.insert(out.end(), h.casesAside.begin(), h.casesAside.end());
    return out;
}

bool hasCaseData(const History& h) {
    if (!h.casesAside.empty() || !h.baseline.empty())
        return true;
    const int count = std::clamp(h.count, 0, kRecordMaximum);
    for (int i = 0; i < count; ++i)
        if (h.records[i].id != 0 && h.cases.find(h.records[i].id) != nullptr)
            return true;
    return false;
}

void dropCasesOfGoneRecords(History& h) {
    if (h.cases.empty())
        return;
    std::set<uint32_t> ids;
    const int count = std::clamp(h.count, 0, kRecordMaximum);
    for (int i = 0; i < count; ++i)
        ids.insert(h.records[i].id);
    std::vector<uint32_t> gone;
    for (const auto& idCase : h.cases.all())
        if (ids.count(idCase.first) == 0)
            gone.push_back(idCase.first);
    for (uint32_t id : gone)
        h.cases.erase(id);
}

std::string asideMessage(const std::vector<Entry>& aside) {
    if (aside.empty())
        return {};
    constexpr std::size_t kListed = 10;
    char head[256];
    std::snprintf(head, sizeof head,
                  "テストケースのうち %u 件は、どの記録にも当てはまりません。\r\n"
                  "消さずに取っておき、保存のたびにそのまま書き戻します。\r\n",
                  static_cast<unsigned>(aside.size()));
    std::string text = head;
    for (std::size_t i = 0; i < aside.size() && i < kListed; ++i) {
        const Key& k = aside[i].key;
        text += "\r\n";
        appendShown(text, k.name);
        text += "  ";
        appendShown(text, k.dateTime);
        if (k.ordinal > 0) {
            char number[48];
            std::snprintf(number, sizeof number, "  (同じ画像と日時の %d 番目)", k.ordinal + 1);
            text += number;
        }
    }
    if (aside.size() > kListed) {
        char more[64];
        std::snprintf(more, sizeof more, "\r\nほか %u 件",
                      static_cast<unsigned>(aside.size() - kListed));
        text += more;
    }
    return text;
}

std::string cutMessage(const std::vector<casefile::Cut>& cuts) {
    if (cuts.empty())
        return {};
    constexpr std::size_t kListed = 10;
    std::string text = "テストケースの長すぎる欄を切り詰めました。";
    for (std::size_t k = 0; k < cuts.size() && k < kListed; ++k) {
        const casefile::Cut& cut = cuts[k];
        char line[32];
        std::snprintf(line, sizeof line, "\r\n%d 行目: ", cut.line);
        text += line;
        for (std::size_t i = 0; i < cut.fields.size(); ++i) {
            if (i > 0)
                text += ", ";
            text += testcase::fieldHeading(cut.fields[i]);
        }
    }
    if (cuts.size() > kListed) {
        char more[64];
        std::snprintf(more, sizeof more, "\r\nほか %u 行",
                      static_cast<unsigned>(cuts.size() - kListed));
        text += more;
    }
    return text;
}

}  // namespace caseplace
