#pragma once
#include <stdexcept>
#include <string>

namespace tavel {

// A failure of the support library that carries no message key of its own.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace tavel
