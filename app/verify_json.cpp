#include "app/verify_json.h"

#include <vector>

using script::JsonObject;

namespace {

const char* stateName(FileState state) {
    switch (state) {
        case FileState::match:
            return "match";
        case FileState::changed:
            return "changed";
        case FileState::missing:
            return "missing";
        case FileState::unlisted:
            return "unlisted";
        case FileState::reencoded:
            return "reencoded";
    }
    return "";
}

const char* roleName(FileRole role) {
    switch (role) {
        case FileRole::picture:
            return "picture";
        case FileRole::description:
            return "description";
        case FileRole::other:
            return "other";
        case FileRole::log:
            return "log";
    }
    return "";
}

const char* issueName(ManifestIssue issue) {
    switch (issue) {
        case ManifestIssue::damaged:
            return "damaged";
        case ManifestIssue::refused:
            return "refused";
        case ManifestIssue::notInHistory:
            return "not-in-history";
    }
    return "";
}

struct Counts {
    int files[5] = {};
    int manifestLines = 0, logLines = 0, order = 0, chain = 0;
};

void addFileItems(const VerifyResult& result, Counts& counts, std::vector<std::string>& items) {
    for (const VerifiedFile& f : result.files) {
        ++counts.files[static_cast<int>(f.state)];
        if (f.state == FileState::match)
            continue;
        items.push_back(JsonObject()
                            .text("kind", "file")
                            .text("state", stateName(f.state))
                            .number("record", f.record)
                            .text("role", roleName(f.role))
                            .cp932("file", f.path)
                            .str());
    }
}

void addOtherItems(const VerifyResult& result, Counts& counts, std::vector<std::string>& items) {
    for (const ManifestNote& n : result.manifestNotes) {
        ++counts.manifestLines;
        JsonObject item;
        item.text("kind", "manifest").number("line", n.line).text("issue", issueName(n.issue));
        if (n.issue != ManifestIssue::damaged)
            item.cp932("file", n.path);
        items.push_back(item.str());
    }
    for (const OrderNote& o : result.order) {
        ++counts.order;
        items.push_back(JsonObject()
                            .text("kind", "order")
                            .number("record", o.record)
                            .number("logRecord", o.logRecord)
                            .cp932("file", o.path)
                            .str());
    }
    for (int line : result.logDamagedLines) {
        ++counts.logLines;
        items.push_back(JsonObject().text("kind", "log").number("line", line).str());
    }
    if (result.chainBrokenAt != 0) {
        ++counts.chain;
        items.push_back(JsonObject().text("kind", "chain").number("line", result.chainBrokenAt).str());
    }
    if (!result.hasManifest)
        items.push_back(JsonObject().text("kind", "no-manifest").str());
    if (!result.hasLog)
        items.push_back(JsonObject().text("kind", "no-log").str());
}

}  // namespace

JsonObject verifyResultJson(const VerifyResult& result, const std::string& text) {
    Counts counts;
    std::vector<std::string> items;
    addFileItems(result, counts, items);
    addOtherItems(result, counts, items);
    const bool clean = verifyClean(result);
    JsonObject countsObject;
    countsObject.number("match", counts.files[0])
        .number("changed", counts.files[1])
        .number("missing", counts.files[2])
        .number("unlisted", counts.files[3]);
    // Only a PDF pack has them; every other check's counts stay as they were.
    if (counts.files[4] > 0)
        countsObject.number("reencoded", counts.files[4]);
    const std::string countsJson = countsObject.number("manifestLines", counts.manifestLines)
                                       .number("logLines", counts.logLines)
                                       .number("order", counts.order)
                                       .number("chain", counts.chain)
                                       .str();
    return JsonObject()
        .flag("ok", clean)
        .text("verdict", clean ? "clean" : "findings")
        .raw("counts", countsJson)
        .raw("items", script::jsonArray(items))
        .cp932("findings", text);
}
