#pragma once
// A small JSON object writer for the tool's --json output: keys in insertion order, numbers in the
// "C" locale whatever the user's locale is.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarvola::cli {

std::string jsonEscape(const std::string& text);
// "[a, b, …]" of values already in JSON.
std::string jsonArray(const std::vector<std::string>& items);

class JsonObject {
public:
    JsonObject& add(const std::string& key, const std::string& text);
    JsonObject& add(const std::string& key, const char* text) { return add(key, std::string(text)); }
    JsonObject& add(const std::string& key, std::int64_t number);
    JsonObject& add(const std::string& key, double number);
    JsonObject& addBool(const std::string& key, bool value);
    // A value already in JSON (an array, an object).
    JsonObject& addRaw(const std::string& key, std::string json);
    std::string str() const;

private:
    std::vector<std::pair<std::string, std::string>> m_members; // key, encoded value
};

} // namespace tarvola::cli
