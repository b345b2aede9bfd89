// The lines of an object sent to the phone server come from any peer: each is
// read through the ANSI conversion, and whatever it says must give a command of
// a known kind and only the actions its key or reference names.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "config/Ini.h"
#include "input/IRRules.h"
#include "win/file/FileSystem.h"

using namespace tavelapp;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Ini::KeyList bindings = Ini::defaultIRComKeys();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        const IRRules::Command command =
            IRRules::parseLine(tavel::win::file::decodeAnsi(bytes.substr(start, end - start)));
        start = end + 1;
        const auto actions = IRRules::actionsFor(command, bindings);
        switch (command.kind) {
            case IRRules::Command::kNone:
                if (!actions.empty()) __builtin_trap();
                break;
            case IRRules::Command::kRun:
                if (actions.size() != 1 || actions[0] != command.reference) __builtin_trap();
                IRRules::allowedOverNetwork(command.reference, false);
                break;
            case IRRules::Command::kKey:
                if (actions.size() > bindings.size()) __builtin_trap();
                break;
            default:
                __builtin_trap();
        }
    }
    return 0;
}
