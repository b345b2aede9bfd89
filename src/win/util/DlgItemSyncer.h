#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavel {
namespace win {
namespace util {

// Binds a dialog's controls to values: written into the controls when the
// dialog opens, read back from all of them when it is applied.
class DlgItemSyncer {
public:
    DlgItemSyncer() = default;
    DlgItemSyncer(const DlgItemSyncer&) = delete;
    DlgItemSyncer& operator=(const DlgItemSyncer&) = delete;
    virtual ~DlgItemSyncer() = default;

    void attach(HWND dialog) { dialog_ = dialog; }
    HWND dialog() const { return dialog_; }

    // Check box <-> flag.
    void bindCheck(int id, bool& value);
    // Drop-down list <-> selection index.
    void bindSelection(int id, std::int32_t& value);
    // Edit field <-> text or number.
    void bindText(int id, std::wstring& value);
    void bindNumber(int id, std::int32_t& value);
    void bindNumber(int id, std::uint32_t& value);

    void toControls();
    void fromControls();

    std::wstring text(int id) const;

private:
    struct Binding {
        std::function<void()> show;
        std::function<void()> store;
    };
    HWND item(int id) const { return ::GetDlgItem(dialog_, id); }

    HWND dialog_ = nullptr;
    std::vector<Binding> bindings_;
};

}  // namespace util
}  // namespace win
}  // namespace tavel
