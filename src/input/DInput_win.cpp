#include "input/DInput.h"

#include <cstring>

#include "base/AppException.h"
#include "config/Ini.h"
#include "win/util/CallbackGuard.h"
#include "win/util/DllSearch.h"

namespace tavelapp {
namespace {

using DirectInputCreateWProc = HRESULT(WINAPI*)(HINSTANCE, DWORD, LPDIRECTINPUTW*, LPUNKNOWN);

const DWORD kVersion = 0x0500;
const DWORD kRangeMax = 65535;
const DWORD kBufferItems = 16;

bool isZero(const GUID& guid) {
    static const GUID zero{};
    return std::memcmp(&guid, &zero, sizeof guid) == 0;
}

}  // namespace

DInput::DInput() = default;

DInput& DInput::instance() {
    static DInput input;
    return input;
}

GUID DInput::settingsGuid(const Ini::Item::Joy& joy) {
    GUID guid{};
    guid.Data1 = joy.guidData1;
    guid.Data2 = joy.guidData2;
    guid.Data3 = joy.guidData3;
    for (std::size_t i = 0; i < joy.guidData4.size(); ++i)
        guid.Data4[i] = joy.guidData4[i];
    return guid;
}

void DInput::storeGuid(const GUID& guid, Ini::Item::Joy& joy) {
    joy.guidData1 = guid.Data1;
    joy.guidData2 = guid.Data2;
    joy.guidData3 = guid.Data3;
    for (std::size_t i = 0; i < joy.guidData4.size(); ++i)
        joy.guidData4[i] = guid.Data4[i];
}

void DInput::initialize() {
    if (references_ > 0) {
        ++references_;
        return;
    }
    // Loaded when a controller is wanted, not at start; kept until the process
    // ends, as the system's copy may run threads of its own.
    // From the system folder only; the tests name their double in the environment.
    if (library_ == nullptr)
        library_ = tavel::win::util::DllSearch::loadSystem(L"dinput.dll", L"KOLIBRIX_TEST_DINPUT_DLL");
    auto create = library_ != nullptr ? reinterpret_cast<DirectInputCreateWProc>(
                                            reinterpret_cast<void*>(::GetProcAddress(library_, "DirectInputCreateW")))
                                      : nullptr;
    IDirectInputW* input = nullptr;
    if (create == nullptr || FAILED(create(::GetModuleHandleW(nullptr), kVersion, &input, nullptr)) ||
        input == nullptr) {
        throw AppException(L"JoyInitialize");
    }
    input_ = tavel::win::util::ComPtr<IDirectInputW>::attach(input);
    references_ = 1;
}

void DInput::release() {
    if (references_ == 0) return;
    if (--references_ > 0) return;
    releaseDevice();
    devices_.clear();
    input_.reset();
}

void DInput::releaseDevice() {
    if (device_) device_->Unacquire();
    device_.reset();
    ready_ = false;
}

bool DInput::enumerate(const GUID* wanted, HWND window) {
    devices_.clear();
    releaseDevice();
    if (!input_) return false;
    Listing listing = list(input_, wanted, window);
    const bool listed = listing.listed;
    adopt(std::move(listing));
    return listed;
}

void DInput::adopt(Listing listing) {
    releaseDevice();
    devices_ = std::move(listing.devices);
    device_ = std::move(listing.device);
    capabilities_ = listing.capabilities;
    ready_ = listing.ready;
}

// What the system's callbacks fill in; local to one listing, so listings on
// several threads never share it.
struct DInput::Lister {
    IDirectInputW* input;
    const GUID* wanted;
    Listing out;
};

DInput::Listing DInput::list(const tavel::win::util::ComPtr<IDirectInputW>& input, const GUID* wanted, HWND window) {
    Lister lister{input.get(), wanted, Listing()};
    if (!input) return std::move(lister.out);
    if (FAILED(input->EnumDevices(DIDEVTYPE_JOYSTICK, &DInput::onDevice, &lister, DIEDFL_ATTACHEDONLY)))
        return std::move(lister.out);
    lister.out.listed = true;
    if (lister.out.device) lister.out.ready = setUp(lister.out, window);
    return std::move(lister.out);
}

BOOL CALLBACK DInput::onDevice(LPCDIDEVICEINSTANCEW info, LPVOID context) {
    return tavel::win::util::guardedOr<BOOL>("DInput", DIENUM_CONTINUE, [&]() -> BOOL {
        addDevice(*static_cast<Lister*>(context), *info);
        return DIENUM_CONTINUE;
    });
}

void DInput::addDevice(Lister& lister, const DIDEVICEINSTANCEW& info) {
    auto joy = std::make_shared<JoyInfo>();
    joy->productName = info.tszProductName;
    joy->instance = info.guidInstance;
    lister.out.devices.push_back(joy);
    if (lister.out.device) return;
    // No controller chosen yet: the first one will do until the user picks one.
    const GUID* wanted = lister.wanted;
    if (wanted != nullptr && !isZero(*wanted) && std::memcmp(wanted, &info.guidInstance, sizeof(GUID)) != 0) return;
    IDirectInputDeviceW* device = nullptr;
    if (SUCCEEDED(lister.input->CreateDevice(info.guidInstance, &device, nullptr)) && device != nullptr) {
        lister.out.device = tavel::win::util::ComPtr<IDirectInputDeviceW>::attach(device);
    }
}

BOOL CALLBACK DInput::onAxis(LPCDIDEVICEOBJECTINSTANCEW object, LPVOID context) {
    auto* listing = static_cast<Listing*>(context);
    return tavel::win::util::guarded(
        "DInput",
        [&]() -> BOOL {
            DIPROPRANGE range{};
            range.diph.dwSize = sizeof range;
            range.diph.dwHeaderSize = sizeof range.diph;
            range.diph.dwObj = object->dwType;
            range.diph.dwHow = DIPH_BYID;
            range.lMin = 0;
            range.lMax = kRangeMax;
            if (FAILED(listing->device->SetProperty(DIPROP_RANGE, &range.diph))) {
                listing->ready = false;
                return DIENUM_STOP;
            }
            return DIENUM_CONTINUE;
        },
        [&]() -> BOOL {
            listing->ready = false;
            return DIENUM_STOP;
        });
}

bool DInput::setUp(Listing& listing, HWND window) {
    IDirectInputDeviceW* device = listing.device.get();
    listing.capabilities = DIDEVCAPS{};
    listing.capabilities.dwSize = sizeof listing.capabilities;
    if (FAILED(device->GetCapabilities(&listing.capabilities))) return false;
    // The thresholds assume every axis reads 0 to 65535.
    listing.ready = true;
    if (FAILED(device->EnumObjects(&DInput::onAxis, &listing, DIDFT_AXIS)) || !listing.ready) return false;
    if (FAILED(device->SetDataFormat(&c_dfDIJoystick))) return false;
    DIPROPDWORD buffer{};
    buffer.diph.dwSize = sizeof buffer;
    buffer.diph.dwHeaderSize = sizeof buffer.diph;
    buffer.diph.dwHow = DIPH_DEVICE;
    buffer.dwData = kBufferItems;
    if (FAILED(device->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph))) return false;
    // In the background: the point is to control the player while other
    // programs have the focus.
    if (window != nullptr && FAILED(device->SetCooperativeLevel(window, DISCL_BACKGROUND | DISCL_NONEXCLUSIVE))) {
        return false;
    }
    const HRESULT acquired = device->Acquire();
    return SUCCEEDED(acquired) || acquired == DIERR_OTHERAPPHASPRIO;
}

}  // namespace tavelapp
