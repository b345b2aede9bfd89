#include <windows.h>

#include <climits>
#include <memory>

#include "win/file/FileSystem.h"

namespace tavel {
namespace win {
namespace file {
namespace {

struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

struct FindCloser {
    void operator()(HANDLE h) const {
        if (h != INVALID_HANDLE_VALUE) ::FindClose(h);
    }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

bool isDots(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == L'\0') || (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

std::vector<std::wstring> listEntries(const std::wstring& folderPath, bool wantFolders, const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileW((folderPath + L"\\" + pattern).c_str(), &data));
    if (find.get() == INVALID_HANDLE_VALUE) return names;
    do {
        if (isDots(data.cFileName)) continue;
        const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (folder != wantFolders) continue;
        // FindFirstFileW also matches 8.3 short names ("*.lng" finds "a.lngx").
        if (!matchesWildcard(data.cFileName, pattern)) continue;
        names.push_back(data.cFileName);
    } while (::FindNextFileW(find.get(), &data));
    return names;
}

}  // namespace

bool readFileBytes(const std::wstring& path, std::string& out, std::uint64_t maxBytes, ReadError* error) {
    ReadError ignored;
    ReadError& why = error != nullptr ? *error : ignored;
    why = ReadError::Open;
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return false;
    why = ReadError::TooLarge;
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.get(), &size) && static_cast<std::uint64_t>(size.QuadPart) > maxBytes) return false;
    std::string data;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
            why = ReadError::Read;
            return false;
        }
        if (read == 0) break;
        // A file that grows while it is read is held to the limit too.
        if (read > maxBytes - data.size()) {
            why = ReadError::TooLarge;
            return false;
        }
        data.append(buffer, read);
    }
    out.swap(data);
    why = ReadError::None;
    return true;
}

bool fileExists(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileW(path.c_str(), &data));
    return find.get() != INVALID_HANDLE_VALUE;
}

bool deleteFile(const std::wstring& path) { return ::DeleteFileW(path.c_str()) != 0; }

bool createDirectory(const std::wstring& path) { return ::CreateDirectoryW(path.c_str(), nullptr) != 0; }

std::vector<std::wstring> listFiles(const std::wstring& folderPath, const std::wstring& pattern) {
    return listEntries(folderPath, false, pattern);
}

std::vector<std::wstring> listSubfolders(const std::wstring& folderPath) { return listEntries(folderPath, true, L"*"); }

std::wstring decodeAnsi(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int size = bytes.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &out[0], length);
    return out;
}

// The old file is replaced by MoveFileExW in one step rather than deleted
// first: a crash between a delete and a rename would lose every setting.
bool writeFileAtomically(const std::wstring& path, const std::string& bytes) {
    const std::wstring temp = path + L".tmp";

    if (!detail::saveStepAllowed(SaveStep::CreateTemp)) return false;
    FileHandle file(
        ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return false;

    const auto fail = [&file, &temp]() {
        file.reset();
        ::DeleteFileW(temp.c_str());
        return false;
    };
    const auto writeAll = [&file](const char* data, std::size_t size) {
        while (size > 0) {
            const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!::WriteFile(file.get(), data, chunk, &written, nullptr) || written == 0) return false;
            data += written;
            size -= written;
        }
        return true;
    };

    // The first half goes out before the fault check so that a simulated
    // failure leaves a partly written temporary file, as a full disk would.
    const std::size_t half = bytes.size() / 2;
    if (!writeAll(bytes.data(), half)) return fail();
    if (!detail::saveStepAllowed(SaveStep::WriteTemp)) return fail();
    if (!writeAll(bytes.data() + half, bytes.size() - half)) return fail();

    if (!detail::saveStepAllowed(SaveStep::FlushTemp) || !::FlushFileBuffers(file.get())) return fail();
    HANDLE raw = file.release();
    if (!::CloseHandle(raw)) return fail();

    if (!detail::saveStepAllowed(SaveStep::Replace) ||
        !::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail();
    return true;
}

bool copyFileWhole(const std::wstring& target, const std::wstring& source) {
    if (!detail::copyStepAllowed(CopyStep::OpenSource)) return false;
    // The player may hold its library open: share reading and writing with it.
    FileHandle in(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (in.get() == INVALID_HANDLE_VALUE) return false;

    const std::wstring temp = target + L".tmp";
    if (!detail::copyStepAllowed(CopyStep::CreateTemp)) return false;
    FileHandle out(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (out.get() == INVALID_HANDLE_VALUE) return false;
    const auto fail = [&out, &temp]() {
        out.reset();
        ::DeleteFileW(temp.c_str());
        return false;
    };

    std::unique_ptr<char[]> buffer(new char[detail::kCopyChunk]);
    long long copied = 0;
    bool first = true;
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(in.get(), buffer.get(), static_cast<DWORD>(detail::kCopyChunk), &read, nullptr)) return fail();
        if (read == 0) break;
        const char* data = buffer.get();
        DWORD left = read;
        while (left > 0) {
            DWORD written = 0;
            if (!::WriteFile(out.get(), data, left, &written, nullptr) || written == 0) return fail();
            data += written;
            left -= written;
        }
        copied += read;
        if (first && !detail::copyStepAllowed(CopyStep::WriteTemp)) return fail();
        first = false;
    }
    if (first && !detail::copyStepAllowed(CopyStep::WriteTemp)) return fail();

    if (!detail::copyStepAllowed(CopyStep::FlushTemp) || !::FlushFileBuffers(out.get())) return fail();
    // The source may have grown or shrunk meanwhile (the player saving it):
    // such a copy is no faithful picture of either version.
    LARGE_INTEGER sourceSize, tempSize;
    if (!detail::copyStepAllowed(CopyStep::CompareSize) || !::GetFileSizeEx(in.get(), &sourceSize) ||
        !::GetFileSizeEx(out.get(), &tempSize) || sourceSize.QuadPart != copied || tempSize.QuadPart != copied)
        return fail();
    HANDLE raw = out.release();
    if (!::CloseHandle(raw)) return fail();

    if (!detail::copyStepAllowed(CopyStep::Replace) ||
        !::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail();
    return true;
}

}  // namespace file
}  // namespace win
}  // namespace tavel
