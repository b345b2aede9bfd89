#include "web/WebFields.h"

#include <charconv>

namespace tavelapp {

using nlohmann::json;

namespace {

// %XX and '+' of a query value; a broken escape stays as it stands.
std::string unescapeQuery(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    const auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out.push_back(' ');
        } else if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace

WebFields WebFields::ofBody(const std::string& body) {
    WebFields fields;
    fields.values_ = json::parse(body, nullptr, false);
    if (!fields.values_.is_object()) fields.fail("", "send a JSON object");
    return fields;
}

WebFields WebFields::ofQuery(const std::string& query) {
    WebFields fields;
    fields.query_ = true;
    fields.values_ = json::object();
    std::size_t start = 0;
    while (start < query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string item = query.substr(start, end - start);
        const std::size_t equals = item.find('=');
        const std::string name = unescapeQuery(item.substr(0, equals));
        // The first of a repeated name counts, as the page never sends two.
        if (!name.empty() && !fields.values_.contains(name))
            fields.values_[name] = equals == std::string::npos ? std::string() : unescapeQuery(item.substr(equals + 1));
        start = end + 1;
    }
    return fields;
}

const json* WebFields::find(const char* name) const {
    if (!values_.is_object()) return nullptr;
    const auto found = values_.find(name);
    return found == values_.end() ? nullptr : &*found;
}

bool WebFields::has(const char* name) const { return find(name) != nullptr; }

bool WebFields::fail(const char* name, const std::string& problem) {
    if (problem_.empty()) {
        field_ = name;
        problem_ = problem;
    }
    return false;
}

void WebFields::reject(const char* name, const std::string& problem) { fail(name, problem); }

std::optional<std::string> WebFields::text(const char* name, bool required, std::size_t maxBytes) {
    const json* value = find(name);
    if (value == nullptr) {
        if (required) fail(name, "missing");
        return required ? std::nullopt : std::optional<std::string>(std::string());
    }
    if (!value->is_string()) return fail(name, "not a string"), std::nullopt;
    const std::string& text = value->get_ref<const std::string&>();
    if (required && text.empty()) return fail(name, "empty"), std::nullopt;
    if (text.size() > maxBytes) return fail(name, "longer than " + std::to_string(maxBytes) + " bytes"), std::nullopt;
    return text;
}

std::optional<std::int64_t> WebFields::number(const char* name, std::int64_t min, std::int64_t max,
                                              std::int64_t fallback) {
    const json* value = find(name);
    if (value == nullptr) return fallback;
    std::int64_t number = 0;
    bool whole = false;
    if (query_) {
        const std::string& text = value->get_ref<const std::string&>();
        const auto parsed = std::from_chars(text.data(), text.data() + text.size(), number);
        whole = !text.empty() && parsed.ec == std::errc() && parsed.ptr == text.data() + text.size();
    } else if (value->is_number_integer()) {
        number = value->get<std::int64_t>();
        whole = true;
    }
    const std::string range = "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
    if (!whole || number < min || number > max) return fail(name, range), std::nullopt;
    return number;
}

std::optional<std::vector<std::string>> WebFields::texts(const char* name, std::size_t maxCount) {
    const json* value = find(name);
    std::vector<std::string> out;
    if (value == nullptr) return out;
    if (!value->is_array()) return fail(name, "not a list of strings"), std::nullopt;
    if (value->size() > maxCount) return fail(name, "more than " + std::to_string(maxCount) + " items"), std::nullopt;
    for (const json& item : *value) {
        if (!item.is_string()) return fail(name, "not a list of strings"), std::nullopt;
        out.push_back(item.get<std::string>());
    }
    return out;
}

std::optional<std::string> WebFields::choice(const char* name, const std::vector<std::string>& words) {
    const std::optional<std::string> value = text(name, false, 64);
    if (!value) return std::nullopt;
    if (value->empty() && !has(name)) return words.front();
    for (const std::string& word : words) {
        if (*value == word) return word;
    }
    std::string list;
    for (const std::string& word : words)
        list += (list.empty() ? "" : ", ") + word;
    return fail(name, "one of " + list), std::nullopt;
}

}  // namespace tavelapp
