#include "Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace tarvola::cli {

std::string jsonEscape(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", c);
                out += esc;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

JsonObject& JsonObject::add(const std::string& key, const std::string& text)
{
    m_members.emplace_back(key, jsonEscape(text));
    return *this;
}

JsonObject& JsonObject::add(const std::string& key, std::int64_t number)
{
    m_members.emplace_back(key, std::to_string(number));
    return *this;
}

JsonObject& JsonObject::add(const std::string& key, double number)
{
    if (!std::isfinite(number)) {
        m_members.emplace_back(key, "null");
        return *this;
    }
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, number);
    m_members.emplace_back(key, std::string(buf, r.ptr));
    return *this;
}

std::string jsonArray(const std::vector<std::string>& items)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + items[i];
    return out + "]";
}

JsonObject& JsonObject::addRaw(const std::string& key, std::string json)
{
    m_members.emplace_back(key, std::move(json));
    return *this;
}

JsonObject& JsonObject::addBool(const std::string& key, bool value)
{
    m_members.emplace_back(key, value ? "true" : "false");
    return *this;
}

std::string JsonObject::str() const
{
    std::string out = "{";
    for (std::size_t i = 0; i < m_members.size(); ++i) {
        if (i)
            out += ", ";
        out += jsonEscape(m_members[i].first) + ": " + m_members[i].second;
    }
    return out + "}";
}

} // namespace tarvola::cli
