#include "history/evidence_log.h"

#include <cstring>

#include "base/cp932.h"
#include "history/evidence_manifest.h"
#include "history/history.h"

namespace {

struct EventName {
    LogEvent event;
    const char* name;
};
constexpr EventName kEvents[] = {
    {LogEvent::capture, "capture"},   {LogEvent::import, "import"},
    {LogEvent::deletion, "delete"},   {LogEvent::move, "move"},
    {LogEvent::annotate, "annotate"}, {LogEvent::save, "save"},
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// "yyyy/mm/dd hh:mm:ss" by its shape; the values are the writer's.
bool isTime(const std::string& time) {
    static const char shape[] = "0000/00/00 00:00:00";
    if (time.size() != sizeof shape - 1)
        return false;
    for (std::size_t i = 0; i < time.size(); ++i)
        if (shape[i] == '0' ? !isDigit(time[i]) : time[i] != shape[i])
            return false;
    return true;
}

bool isWritablePath(const std::string& path) {
    return !path.empty() && path.find_first_of("\t\r\n") == std::string::npos;
}

// The record number as written: no sign, no leading zero, 0..kRecordMaximum.
bool parseRecord(const std::string& text, int& out) {
    if (text.empty() || text.size() > 4 || (text.size() > 1 && text[0] == '0'))
        return false;
    int value = 0;
    for (char c : text) {
        if (!isDigit(c))
            return false;
        value = value * 10 + (c - '0');
    }
    if (value > kRecordMaximum)
        return false;
    out = value;
    return true;
}

bool parseLine(const std::string& text, LogEntry& entry) {
    std::vector<std::string> fields(1);
    for (char c : text) {  // a TAB is never a trail byte
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    if (fields.size() != 6 || !isTime(fields[0]) || !parseRecord(fields[2], entry.record) ||
        !isWritablePath(fields[3]) ||
        !parseSha256Hex(fields[4].data(), fields[4].size(), entry.file) ||
        !parseSha256Hex(fields[5].data(), fields[5].size(), entry.previous))
        return false;
    bool known = false;
    for (const EventName& e : kEvents)
        if (fields[1] == e.name) {
            entry.event = e.event;
            known = true;
        }
    entry.time = fields[0];
    entry.path = fields[3];
    // Upper-case hex reads, but would not write back to the same bytes, and
    // the line's hash is of its bytes: only the writer's own form is valid.
    return known && sha256Hex(entry.file) == fields[4] && sha256Hex(entry.previous) == fields[5];
}

Sha256Digest hashText(const std::string& text, const Sha256Function& hashLine) {
    return hashLine(text.data(), text.size());
}

}  // namespace

const char* logEventName(LogEvent event) {
    for (const EventName& e : kEvents)
        if (e.event == event)
            return e.name;
    return "";
}

std::vector<int> EvidenceLog::damagedLines() const {
    std::vector<int> damaged;
    for (const LogLine& line : lines)
        if (!line.valid)
            damaged.push_back(line.number);
    return damaged;
}

EvidenceLog parseEvidenceLog(const char* data, std::size_t size) {
    EvidenceLog log;
    for (std::size_t start = 0; start < size;) {
        const std::size_t end = cp932::find(data + start, size - start, '\n') + start;
        std::size_t n = end - start;
        if (n > 0 && data[start + n - 1] == '\r')
            --n;
        LogLine line;
        line.number = static_cast<int>(log.lines.size()) + 1;
        line.text.assign(data + start, n);
        line.valid = parseLine(line.text, line.entry);
        log.lines.push_back(std::move(line));
        start = end + 1;
    }
    return log;
}

std::string logLineText(const LogEntry& entry) {
    if (!isTime(entry.time) || entry.record < 0 || entry.record > kRecordMaximum ||
        !isWritablePath(entry.path) || logEventName(entry.event)[0] == '\0')
        return std::string();
    std::string text = entry.time;
    text += '\t';
    text += logEventName(entry.event);
    text += '\t';
    text += std::to_string(entry.record);
    text += '\t';
    text += entry.path;
    text += '\t';
    text += sha256Hex(entry.file);
    text += '\t';
    text += sha256Hex(entry.previous);
    return text;
}

bool appendLogLine(std::string& log, Sha256Digest& last, LogEntry entry,
                   const Sha256Function& hashLine) {
    entry.previous = last;
    const std::string text = logLineText(entry);
    if (text.empty())
        return false;
    log += text;
    log += "\r\n";
    last = hashText(text, hashLine);
    return true;
}

void appendLogEvents(std::string& log, Sha256Digest& last,
                     const std::vector<UnwrittenEvent>& events, const std::string& folder,
                     const Sha256Function& hashLine) {
    for (const UnwrittenEvent& e : events) {
        LogEntry entry;
        entry.time = e.time;
        entry.event = e.event;
        entry.record = e.record;
        if (!manifestPathFor(folder, e.windowsPath, entry.path))
            entry.path = e.windowsPath;
        entry.file = e.file;
        appendLogLine(log, last, entry, hashLine);
    }
}

Sha256Digest lastLineHash(const EvidenceLog& log, const Sha256Function& hashLine) {
    return log.lines.empty() ? kLogFirstPrevious : hashText(log.lines.back().text, hashLine);
}

int firstBrokenLine(const EvidenceLog& log, const Sha256Function& hashLine) {
    Sha256Digest expected = kLogFirstPrevious;
    for (const LogLine& line : log.lines) {
        if (!line.valid || line.entry.previous != expected)
            return line.number;
        expected = hashText(line.text, hashLine);
    }
    return 0;
}
