#pragma once
#include <string>

namespace tavel {
namespace win {
namespace file {

// A Windows-style path (backslash separators) and the few operations the
// program needs on it.
class File {
public:
    File() = default;
    explicit File(std::wstring path) : path_(std::move(path)) {}

    const std::wstring& path() const { return path_; }
    void setPath(std::wstring path) { path_ = std::move(path); }

    // A file or a folder of that name exists.
    bool exists() const;
    bool remove() const;

    // Before the last backslash; empty if there is none.
    std::wstring folder() const;
    // After the last backslash; the whole path if there is none.
    std::wstring fileName() const;
    // fileName() cut at its last dot; empty if it has no dot.
    std::wstring fileTitle() const;

private:
    std::wstring path_;
};

class Dir : public File {
public:
    using File::File;
    // Creates the folder (one level) if missing; true if it exists afterwards.
    bool create() const;
};

}  // namespace file
}  // namespace win
}  // namespace tavel
