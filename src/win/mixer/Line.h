#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <vector>

namespace tavel {
namespace win {
namespace mixer {

// A destination's own line and its controls. The first volume and the first
// mute control are the ones used; operations on a missing one throw
// tavel::Exception.
class Line {
public:
    // Throws tavel::Exception when the line information cannot be read.
    Line(HMIXER mixer, DWORD destination, DWORD componentType);
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    bool hasVolume() const { return find(MIXERCONTROL_CONTROLTYPE_VOLUME) != nullptr; }
    bool hasMute() const { return find(MIXERCONTROL_CONTROLTYPE_MUTE) != nullptr; }

    // Fraction 0-1 of the control's range.
    double volume() const;
    // direction: +1 or -1 for a step that must show, 0 for a setting.
    void setVolume(double fraction, int direction = 0);
    bool mute() const;
    void setMute(bool mute);

    const MIXERLINEW& info() const { return info_; }
    DWORD componentType() const { return componentType_; }

private:
    const MIXERCONTROLW* find(DWORD type) const;
    const MIXERCONTROLW& control(DWORD type) const;
    DWORD read(const MIXERCONTROLW& control) const;
    void write(const MIXERCONTROLW& control, DWORD value);

    HMIXER mixer_;
    DWORD destination_;
    DWORD componentType_;
    MIXERLINEW info_;
    std::vector<MIXERCONTROLW> controls_;
};

}  // namespace mixer
}  // namespace win
}  // namespace tavel
