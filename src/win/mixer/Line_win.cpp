#include "win/mixer/Line.h"

#include "win/mixer/MixerRules.h"
#include "win/winsock/Exception.h"

namespace tavel {
namespace win {
namespace mixer {

Line::Line(HMIXER mixer, DWORD destination, DWORD componentType)
    : mixer_(mixer), destination_(destination), componentType_(componentType), info_() {
    info_.cbStruct = sizeof info_;
    // The destination's own line, whatever its component type.
    info_.dwDestination = destination;
    if (::mixerGetLineInfoW(reinterpret_cast<HMIXEROBJ>(mixer), &info_,
                            MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_DESTINATION) != MMSYSERR_NOERROR)
        throw tavel::Exception("mixerGetLineInfo");
    if (info_.cControls == 0) return;
    controls_.resize(info_.cControls);
    MIXERLINECONTROLSW request = {};
    request.cbStruct = sizeof request;
    request.dwLineID = info_.dwLineID;
    request.cControls = info_.cControls;
    request.cbmxctrl = sizeof(MIXERCONTROLW);
    request.pamxctrl = controls_.data();
    if (::mixerGetLineControlsW(reinterpret_cast<HMIXEROBJ>(mixer), &request,
                                MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ALL) != MMSYSERR_NOERROR)
        controls_.clear();
}

const MIXERCONTROLW* Line::find(DWORD type) const {
    for (const MIXERCONTROLW& c : controls_)
        if (c.dwControlType == type) return &c;
    return nullptr;
}

const MIXERCONTROLW& Line::control(DWORD type) const {
    const MIXERCONTROLW* found = find(type);
    if (!found) throw tavel::Exception("mixer line without the control");
    return *found;
}

namespace {

// One channel: the control read and written as uniform.
MIXERCONTROLDETAILS uniformDetails(const MIXERCONTROLW& control, MIXERCONTROLDETAILS_UNSIGNED& value) {
    MIXERCONTROLDETAILS details = {};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = 1;
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    return details;
}

}  // namespace

DWORD Line::read(const MIXERCONTROLW& control) const {
    MIXERCONTROLDETAILS_UNSIGNED value = {};
    MIXERCONTROLDETAILS details = uniformDetails(control, value);
    if (::mixerGetControlDetailsW(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                  MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
        throw tavel::Exception("mixerGetControlDetails");
    return value.dwValue;
}

void Line::write(const MIXERCONTROLW& control, DWORD value) {
    MIXERCONTROLDETAILS_UNSIGNED detail = {};
    detail.dwValue = value;
    MIXERCONTROLDETAILS details = uniformDetails(control, detail);
    if (::mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                 MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
        throw tavel::Exception("mixerSetControlDetails");
}

double Line::volume() const {
    const MIXERCONTROLW& c = control(MIXERCONTROL_CONTROLTYPE_VOLUME);
    return fractionOf(read(c), c.Bounds.dwMinimum, c.Bounds.dwMaximum);
}

void Line::setVolume(double fraction, int direction) {
    const MIXERCONTROLW& c = control(MIXERCONTROL_CONTROLTYPE_VOLUME);
    const DWORD current = direction != 0 ? read(c) : c.Bounds.dwMinimum;
    write(c, controlValueFor(fraction, c.Bounds.dwMinimum, c.Bounds.dwMaximum, current, direction));
}

bool Line::mute() const { return read(control(MIXERCONTROL_CONTROLTYPE_MUTE)) != 0; }

void Line::setMute(bool mute) { write(control(MIXERCONTROL_CONTROLTYPE_MUTE), mute ? 1 : 0); }

}  // namespace mixer
}  // namespace win
}  // namespace tavel
