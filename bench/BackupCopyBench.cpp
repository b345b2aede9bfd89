// Throughput of the backup's whole-file copy (temporary file, large chunks,
// flush, size check, rename) on a 165 MB library file, next to the system's
// CopyFileW for scale. Run from the build folder; the files go to the
// system's temporary folder and are removed afterwards.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "win/file/FileSystem.h"

namespace {

const unsigned long long kFileBytes = 165ull * 1000 * 1000;

double now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool makeSource(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::vector<char> block(1 << 20);
    unsigned int seed = 12345;
    for (char& c : block) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    bool ok = true;
    for (unsigned long long left = kFileBytes; left > 0 && ok;) {
        const DWORD chunk = static_cast<DWORD>(left < block.size() ? left : block.size());
        DWORD written = 0;
        ok = ::WriteFile(file, block.data(), chunk, &written, nullptr) && written == chunk;
        left -= chunk;
    }
    ::CloseHandle(file);
    return ok;
}

void report(const char* label, double seconds) {
    std::printf("%-34s %7.3f s  %8.1f MB/s\n", label, seconds, kFileBytes / 1e6 / seconds);
    std::fflush(stdout);
}

}  // namespace

int wmain() {
    wchar_t tempFolder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tempFolder);
    const std::wstring source = std::wstring(tempFolder) + L"kolibrix-bench-library.itl";
    const std::wstring target = std::wstring(tempFolder) + L"kolibrix-bench-copy.itl";
    if (!makeSource(source)) {
        std::printf("could not write the 165 MB source file\n");
        return 1;
    }
    std::printf("copy of a %.0f MB file, chunks of %u KiB\n", kFileBytes / 1e6,
                static_cast<unsigned>(tavel::win::file::detail::kCopyChunk / 1024));
    int failures = 0;
    for (int round = 1; round <= 3; ++round) {
        ::DeleteFileW(target.c_str());
        double start = now();
        const bool ok = tavel::win::file::copyFileWhole(target, source);
        report("backup copy (whole, flushed)", now() - start);
        if (!ok) ++failures;

        ::DeleteFileW(target.c_str());
        start = now();
        ::CopyFileW(source.c_str(), target.c_str(), FALSE);
        report("CopyFileW (for scale, not flushed)", now() - start);
    }
    ::DeleteFileW(target.c_str());
    ::DeleteFileW(source.c_str());
    if (failures != 0) std::printf("%d copies failed\n", failures);
    return failures == 0 ? 0 : 1;
}
