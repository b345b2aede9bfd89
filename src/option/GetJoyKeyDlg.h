#pragma once
#include <memory>

#include "config/Ini.h"
#include "input/JoyListenThread.h"
#include "option/DeviceKeyDlg.h"

namespace tavelapp {

// Hands the open controller's events to a capture dialog on the main thread,
// while the dialog is open.
class JoyListening : public JoyListenThread::JoyListenThreadListener {
public:
    void start(HWND dialog, UINT message);
    void stop();
    void onJoyEvent(JoyListenThread& thread, std::uint32_t code, bool pressed) override;

private:
    HWND dialog_ = nullptr;
    UINT message_ = 0;
    std::shared_ptr<JoyListenThread> thread_;
};

// A game-controller binding, captured from the controller.
class GetJoyKeyDlg : public DeviceKeyDlg {
public:
    GetJoyKeyDlg(Ini::Key& binding, bool add, bool useShift, std::uint32_t shiftCode);
    ~GetJoyKeyDlg() override { listening_.stop(); }

protected:
    std::wstring inputText(std::uint32_t code) const override;
    void startListening() override { listening_.start(hwnd(), kEventMessage); }
    void stopListening() override { listening_.stop(); }

private:
    JoyListening listening_;
};

// The controller's shift button: a button, never a stick direction.
class GetJoyShiftDlg : public DeviceShiftDlg {
public:
    explicit GetJoyShiftDlg(std::uint32_t& code);
    ~GetJoyShiftDlg() override { listening_.stop(); }

protected:
    std::wstring inputText(std::uint32_t code) const override;
    bool accepts(std::uint32_t input) const override { return OptionRules::acceptsJoyShift(input); }
    void startListening() override { listening_.start(hwnd(), kEventMessage); }
    void stopListening() override { listening_.stop(); }

private:
    JoyListening listening_;
};

}  // namespace tavelapp
