#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavel {
namespace win {
namespace file {

// Platform file primitives. Paths are Windows-style wide strings with
// backslash separators on every platform; the POSIX build maps them to '/'
// and matches each missing path component case-insensitively (ASCII), as
// Windows names are.

// Whole files are read into memory, so a read stops at a size: skins,
// language files and action lists are far smaller than the default.
constexpr std::uint64_t kDefaultReadLimit = 16ull << 20;
// Pictures (skin bitmaps, covers, artwork): a 4096 x 4096 bitmap of 32 bits
// with its headers, the largest that is shown.
constexpr std::uint64_t kPictureReadLimit = (64ull << 20) + (1ull << 20);
// For the simulated player's library, which has any size a real one has.
constexpr std::uint64_t kAnySize = ~std::uint64_t{0};
enum class ReadError { None, Open, Read, TooLarge };

// Whole file into `out`; false if it cannot be opened or read, or holds more
// than `maxBytes` (then nothing is read). `error`, when given, says which.
bool readFileBytes(const std::wstring& path, std::string& out, std::uint64_t maxBytes = kDefaultReadLimit,
                   ReadError* error = nullptr);
// Find-first-file semantics: true for an existing file or folder.
bool fileExists(const std::wstring& path);
bool deleteFile(const std::wstring& path);
// One level; false if it could not be created (including "already exists").
bool createDirectory(const std::wstring& path);
// Names only (no folder part), in file-system order, "." and ".." skipped.
// `pattern` uses the wildcards '*' and '?', compared case-insensitively.
std::vector<std::wstring> listFiles(const std::wstring& folderPath, const std::wstring& pattern);
std::vector<std::wstring> listSubfolders(const std::wstring& folderPath);
// Bytes in the system ANSI code page (Latin-1 off Windows).
std::wstring decodeAnsi(const std::string& bytes);

// Writes path + ".tmp", flushes it to disk and then puts it in place of the
// target in one step. On any failure the previous target is untouched and the
// temporary file is removed.
bool writeFileAtomically(const std::wstring& path, const std::string& bytes);

// Test hook: called before each step of writeFileAtomically; returning false
// makes that step fail. An empty function turns faults off.
enum class SaveStep { CreateTemp, WriteTemp, FlushTemp, Replace };
void setSaveFaultHook(std::function<bool(SaveStep)> hook);

// Copies the source (opened so that others may go on reading and writing it)
// to target + ".tmp" in large chunks, flushes it, checks that it holds as many
// bytes as the source has now and then puts it in place of the target in one
// step. On any failure the target is untouched and the temporary file removed,
// so a half copy never carries the target's name.
bool copyFileWhole(const std::wstring& target, const std::wstring& source);

// Test hook for copyFileWhole, as for saves. WriteTemp is asked after the
// first chunk went out; CompareSize failing stands for a size mismatch.
enum class CopyStep { OpenSource, CreateTemp, WriteTemp, FlushTemp, CompareSize, Replace };
void setCopyFaultHook(std::function<bool(CopyStep)> hook);

// Case-insensitive (ASCII) match of a name against a '*'/'?' pattern; "*.*"
// matches every name, as on Windows.
bool matchesWildcard(const std::wstring& name, const std::wstring& pattern);

namespace detail {
// True unless the fault hook says to fail `step`.
bool saveStepAllowed(SaveStep step);
bool copyStepAllowed(CopyStep step);
// Chunk size of copyFileWhole: big enough that a large library copies at disk speed.
const std::size_t kCopyChunk = 4 * 1024 * 1024;
}  // namespace detail

}  // namespace file
}  // namespace win
}  // namespace tavel
