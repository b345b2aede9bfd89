// The library file is written by another program and may be cut short or in
// another layout: any bytes must give at most one track per requested file,
// each with its 25 values, and never a read outside the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "player/MusicLibraryParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* file = ::fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file) return 0;
    const std::vector<std::wstring> paths = {L"C:\\a.mp3", L"C:\\a.mp3", L"C:\\M\\b & c.m4a", L"/Users/x/d.mp3"};
    tavelapp::MusicLibraryParser parser(paths, file);
    std::fclose(file);
    if (parser.results().size() > paths.size()) __builtin_trap();
    for (const auto& record : parser.results())
        if (!record) __builtin_trap();
    return 0;
}
