// The result of a call as the JSON object a script reads: UTF-8, every text
// escaped, the program's CP932 texts converted. Platform-free.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace script {

// A JSON string: quoted, with '"', '\\' and every control character escaped;
// bytes that are not well-formed UTF-8 become U+FFFD, so that the file is
// always valid UTF-8.
std::string jsonString(std::string_view utf8);

// An object built member by member, in the order added.
class JsonObject {
  public:
    JsonObject& text(std::string_view key, std::string_view utf8);
    JsonObject& cp932(std::string_view key, std::string_view cp932Text);
    JsonObject& number(std::string_view key, long long value);
    JsonObject& flag(std::string_view key, bool value);
    // A value that is JSON already (an object or an array).
    JsonObject& raw(std::string_view key, std::string_view json);
    std::string str() const { return body_.empty() ? "{}" : body_ + "}"; }

  private:
    void key(std::string_view name);
    std::string body_;
};

std::string jsonArray(const std::vector<std::string>& items);

}  // namespace script
