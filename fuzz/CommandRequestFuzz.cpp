// Any program on the desktop may send the application window a WM_COPYDATA
// payload: it must be refused or read whole, within the limits, and what is
// read must be exactly what the sender's encoding of it gives.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/CommandRequest.h"

using namespace tavelapp;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CommandRequest request;
    if (!CommandRequest::decode(data, size, request)) return 0;
    if (request.params.size() > CommandRequest::kMaxParams || size > CommandRequest::kMaxBytes) __builtin_trap();
    if (request.kind == CommandRequest::Kind::Action ? request.name.empty() : !request.name.empty()) __builtin_trap();
    const std::vector<std::uint8_t> again = request.encode();
    if (again != std::vector<std::uint8_t>(data, data + size)) __builtin_trap();
    return 0;
}
