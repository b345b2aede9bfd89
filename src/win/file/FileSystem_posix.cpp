#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "win/file/FileSystem.h"
#include "win/util/TextCodec.h"

namespace tavel {
namespace win {
namespace file {
namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    bool close() {
        if (fd_ < 0) return true;
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }

private:
    int fd_;
};

class DirStream {
public:
    explicit DirStream(const std::string& path) : dir_(::opendir(path.c_str())) {}
    ~DirStream() {
        if (dir_) ::closedir(dir_);
    }
    DirStream(const DirStream&) = delete;
    DirStream& operator=(const DirStream&) = delete;
    DIR* get() const { return dir_; }

private:
    DIR* dir_;
};

bool equalsIgnoreAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string join(const std::string& base, const std::string& name) {
    if (base.empty()) return name;
    if (base.back() == '/') return base + name;
    return base + "/" + name;
}

bool pathExists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Windows path -> POSIX path. Components that do not exist exactly are looked
// up case-insensitively in their folder; once one is missing altogether the
// rest is kept as given (it may be about to be created).
std::string resolve(const std::wstring& path) {
    std::string narrow = util::wideToUtf8(path);
    for (char& c : narrow)
        if (c == '\\') c = '/';

    std::string result = (!narrow.empty() && narrow[0] == '/') ? "/" : "";
    bool resolving = true;
    std::size_t pos = 0;
    while (pos <= narrow.size()) {
        std::size_t slash = narrow.find('/', pos);
        if (slash == std::string::npos) slash = narrow.size();
        const std::string component = narrow.substr(pos, slash - pos);
        pos = slash + 1;
        if (component.empty()) continue;

        std::string candidate = join(result, component);
        if (resolving && component != "." && component != ".." && !pathExists(candidate)) {
            resolving = false;
            DirStream dir(result.empty() ? "." : result);
            if (dir.get()) {
                while (const dirent* entry = ::readdir(dir.get())) {
                    if (equalsIgnoreAsciiCase(entry->d_name, component)) {
                        candidate = join(result, entry->d_name);
                        resolving = true;
                        break;
                    }
                }
            }
        }
        result = candidate;
    }
    return result;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::vector<std::wstring> listEntries(const std::wstring& folderPath, bool wantFolders, const std::wstring* pattern) {
    std::vector<std::wstring> names;
    const std::string folder = resolve(folderPath);
    DirStream dir(folder.empty() ? "." : folder);
    if (!dir.get()) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (isDirectory(join(folder, name)) != wantFolders) continue;
        std::wstring wide = util::utf8ToWide(name);
        if (pattern && !matchesWildcard(wide, *pattern)) continue;
        names.push_back(std::move(wide));
    }
    return names;
}

}  // namespace

bool readFileBytes(const std::wstring& path, std::string& out, std::uint64_t maxBytes, ReadError* error) {
    ReadError ignored;
    ReadError& why = error != nullptr ? *error : ignored;
    why = ReadError::Open;
    Fd fd(::open(resolve(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) return false;
    why = ReadError::TooLarge;
    struct stat st;
    if (::fstat(fd.get(), &st) == 0 && static_cast<std::uint64_t>(st.st_size) > maxBytes) return false;
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            why = ReadError::Read;
            return false;
        }
        if (n == 0) break;
        // A file that grows while it is read is held to the limit too.
        if (static_cast<std::uint64_t>(n) > maxBytes - data.size()) {
            why = ReadError::TooLarge;
            return false;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    out.swap(data);
    why = ReadError::None;
    return true;
}

bool fileExists(const std::wstring& path) {
    struct stat st;
    return ::stat(resolve(path).c_str(), &st) == 0;
}

bool deleteFile(const std::wstring& path) { return ::unlink(resolve(path).c_str()) == 0; }

bool createDirectory(const std::wstring& path) { return ::mkdir(resolve(path).c_str(), 0777) == 0; }

std::vector<std::wstring> listFiles(const std::wstring& folderPath, const std::wstring& pattern) {
    return listEntries(folderPath, false, &pattern);
}

std::vector<std::wstring> listSubfolders(const std::wstring& folderPath) {
    return listEntries(folderPath, true, nullptr);
}

std::wstring decodeAnsi(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (char c : bytes)
        out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return out;
}

// The old file is replaced by rename() in one step rather than deleted first:
// a crash between a delete and a rename would lose every setting.
bool writeFileAtomically(const std::wstring& path, const std::string& bytes) {
    const std::string target = resolve(path);
    const std::string temp = resolve(path + L".tmp");

    if (!detail::saveStepAllowed(SaveStep::CreateTemp)) return false;
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd.valid()) return false;

    const auto fail = [&fd, &temp]() {
        fd.close();
        ::unlink(temp.c_str());
        return false;
    };

    // The first half goes out before the fault check so that a simulated
    // failure leaves a partly written temporary file, as a full disk would.
    const std::size_t half = bytes.size() / 2;
    if (!writeAll(fd.get(), bytes.data(), half)) return fail();
    if (!detail::saveStepAllowed(SaveStep::WriteTemp)) return fail();
    if (!writeAll(fd.get(), bytes.data() + half, bytes.size() - half)) return fail();

    if (!detail::saveStepAllowed(SaveStep::FlushTemp) || ::fsync(fd.get()) != 0) return fail();
    if (!fd.close()) return fail();

    if (!detail::saveStepAllowed(SaveStep::Replace) || ::rename(temp.c_str(), target.c_str()) != 0) return fail();

    // Make the rename itself durable; failing here no longer loses data.
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : (slash == 0 ? std::string("/") : target.substr(0, slash));
    Fd dir(::open(folder.c_str(), O_RDONLY | O_CLOEXEC));
    if (dir.valid()) ::fsync(dir.get());
    return true;
}

bool copyFileWhole(const std::wstring& target, const std::wstring& source) {
    if (!detail::copyStepAllowed(CopyStep::OpenSource)) return false;
    Fd in(::open(resolve(source).c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid()) return false;

    const std::string finalPath = resolve(target);
    const std::string temp = resolve(target + L".tmp");
    if (!detail::copyStepAllowed(CopyStep::CreateTemp)) return false;
    Fd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!out.valid()) return false;
    const auto fail = [&out, &temp]() {
        out.close();
        ::unlink(temp.c_str());
        return false;
    };

    std::string buffer(detail::kCopyChunk, '\0');
    long long copied = 0;
    bool first = true;
    for (;;) {
        const ssize_t n = ::read(in.get(), &buffer[0], buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail();
        }
        if (n == 0) break;
        if (!writeAll(out.get(), buffer.data(), static_cast<std::size_t>(n))) return fail();
        copied += n;
        if (first && !detail::copyStepAllowed(CopyStep::WriteTemp)) return fail();
        first = false;
    }
    if (first && !detail::copyStepAllowed(CopyStep::WriteTemp)) return fail();

    if (!detail::copyStepAllowed(CopyStep::FlushTemp) || ::fsync(out.get()) != 0) return fail();
    // The source may have grown or shrunk meanwhile (the player saving it):
    // such a copy is no faithful picture of either version.
    struct stat sourceStat, tempStat;
    if (!detail::copyStepAllowed(CopyStep::CompareSize) || ::fstat(in.get(), &sourceStat) != 0 ||
        ::fstat(out.get(), &tempStat) != 0 || sourceStat.st_size != copied || tempStat.st_size != copied)
        return fail();
    if (!out.close()) return fail();

    if (!detail::copyStepAllowed(CopyStep::Replace) || ::rename(temp.c_str(), finalPath.c_str()) != 0) return fail();
    return true;
}

}  // namespace file
}  // namespace win
}  // namespace tavel
