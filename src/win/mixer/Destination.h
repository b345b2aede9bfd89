#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <map>
#include <memory>

#include "win/mixer/Line.h"

namespace tavel {
namespace win {
namespace mixer {

// One destination of a mixer device; its lines are made on first use and kept.
class Destination {
public:
    Destination(HMIXER mixer, DWORD index) : mixer_(mixer), index_(index) {}
    Destination(const Destination&) = delete;
    Destination& operator=(const Destination&) = delete;

    // Throws tavel::Exception when the line cannot be read.
    std::shared_ptr<Line> line(DWORD componentType);
    DWORD index() const { return index_; }

private:
    HMIXER mixer_;
    DWORD index_;
    std::map<DWORD, std::shared_ptr<Line>> lines_;
};

}  // namespace mixer
}  // namespace win
}  // namespace tavel
