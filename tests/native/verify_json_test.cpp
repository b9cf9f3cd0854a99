// The verify command's result as a script reads it: ok only when nothing
// was found, and each finding with its file and state.
#include "app/verify_json.h"

#include <gtest/gtest.h>

#include <string>

namespace {

VerifyResult CleanResult() {
    VerifyResult r;
    r.hasManifest = true;
    r.hasLog = true;
    r.files = {{1, FileRole::picture, "../証跡1.jpg", FileState::match, false},
               {0, FileRole::log, "h.zlog", FileState::match, false}};
    return r;
}

TEST(VerifyJson, OkOnlyWhenNothingWasFound) {
    EXPECT_EQ(verifyResultJson(CleanResult(), "text").str(),
              "{\"ok\":true,\"verdict\":\"clean\",\"counts\":{\"match\":2,\"changed\":0,"
              "\"missing\":0,\"unlisted\":0,\"manifestLines\":0,\"logLines\":0,\"order\":0,"
              "\"chain\":0},\"items\":[],\"findings\":\"text\"}");

    struct Case {
        const char* what;
        void (*spoil)(VerifyResult&);
        std::string item;
    };
    const Case cases[] = {
        {"a picture changed",
         [](VerifyResult& r) { r.files[0].state = FileState::changed; },
         "{\"kind\":\"file\",\"state\":\"changed\",\"record\":1,\"role\":\"picture\","
         "\"file\":\"../\xE8\xA8\xBC\xE8\xB7\xA1" "1.jpg\"}"},
        {"the log unlisted",
         [](VerifyResult& r) { r.files[1].state = FileState::unlisted; },
         "{\"kind\":\"file\",\"state\":\"unlisted\",\"record\":0,\"role\":\"log\","
         "\"file\":\"h.zlog\"}"},
        {"a picture a PDF compressed anew",
         [](VerifyResult& r) { r.files[0].state = FileState::reencoded; },
         "{\"kind\":\"file\",\"state\":\"reencoded\",\"record\":1,\"role\":\"picture\","
         "\"file\":\"../\xE8\xA8\xBC\xE8\xB7\xA1" "1.jpg\"}"},
        {"a manifest line unread",
         [](VerifyResult& r) { r.manifestNotes.push_back({3, ManifestIssue::damaged, {}, ""}); },
         "{\"kind\":\"manifest\",\"line\":3,\"issue\":\"damaged\"}"},
        {"a record the log does not have",
         [](VerifyResult& r) { r.order.push_back({2, 0, "b.bmp"}); },
         "{\"kind\":\"order\",\"record\":2,\"logRecord\":0,\"file\":\"b.bmp\"}"},
        {"a log cut in a line",
         [](VerifyResult& r) { r.logDamagedLines.push_back(4); },
         "{\"kind\":\"log\",\"line\":4}"},
        {"the chain broken", [](VerifyResult& r) { r.chainBrokenAt = 2; },
         "{\"kind\":\"chain\",\"line\":2}"},
        {"no log", [](VerifyResult& r) { r.hasLog = false; }, "{\"kind\":\"no-log\"}"},
    };
    for (const Case& c : cases) {
        VerifyResult r = CleanResult();
        c.spoil(r);
        const std::string json = verifyResultJson(r, "").str();
        EXPECT_EQ(json.rfind("{\"ok\":false,\"verdict\":\"findings\",", 0), 0u) << c.what;
        EXPECT_NE(json.find("\"items\":[" + c.item + "]"), std::string::npos) << c.what << json;
    }
    // Counted apart only where there is one.
    VerifyResult r = CleanResult();
    r.files[0].state = FileState::reencoded;
    EXPECT_NE(
        verifyResultJson(r, "").str().find("\"unlisted\":0,\"reencoded\":1,\"manifestLines\""),
        std::string::npos);
}

}  // namespace
