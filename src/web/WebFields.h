#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tavelapp {

// The named parameters of one request, from its JSON body or its query, read
// by name and type. The first one missing or wrong is kept, so the answer can
// name it ("field": its name) instead of a general "bad request".
class WebFields {
public:
    static WebFields ofBody(const std::string& body);
    static WebFields ofQuery(const std::string& query);

    // A body that is no JSON object has no fields: its problem is the body's.
    bool ok() const { return problem_.empty(); }
    bool has(const char* name) const;
    // Empty when absent and not required; at most maxBytes bytes.
    std::optional<std::string> text(const char* name, bool required, std::size_t maxBytes = 1024);
    // A whole number within [min, max]; fallback when absent.
    std::optional<std::int64_t> number(const char* name, std::int64_t min, std::int64_t max, std::int64_t fallback);
    // A JSON array of at most maxCount texts (body only); empty when absent.
    std::optional<std::vector<std::string>> texts(const char* name, std::size_t maxCount);
    // One of the given words; the first when absent.
    std::optional<std::string> choice(const char* name, const std::vector<std::string>& words);
    // Marks a field wrong by a rule of the route's own.
    void reject(const char* name, const std::string& problem);

    const std::string& field() const { return field_; }
    const std::string& problem() const { return problem_; }

private:
    const nlohmann::json* find(const char* name) const;
    bool fail(const char* name, const std::string& problem);

    bool query_ = false;
    nlohmann::json values_;
    std::string field_;
    std::string problem_;
};

}  // namespace tavelapp
