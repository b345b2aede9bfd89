#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "option/OptionPage.h"

namespace tavelapp {

// A page listing one input's bindings (action, input) with add, edit, delete,
// reset and the input's off switch.
class BindingListPage : public OptionPage {
public:
    BindingListPage(int templateId, const std::wstring& section, Ini& settings, bool& disable);

    // The action column's text: the action-list entry's name, else the page's
    // "not found" text.
    std::wstring actionText(const std::wstring& action) const;

protected:
    virtual std::size_t count() const = 0;
    virtual std::wstring actionAt(std::size_t index) const = 0;
    virtual std::wstring inputTextAt(std::size_t index) const = 0;
    // Opens the capture dialog on a copy of binding `index` (count() adds one);
    // true when the user kept the result, which is stored by then.
    virtual bool capture(std::size_t index) = 0;
    virtual void eraseAt(std::size_t index) = 0;
    virtual void resetList() = 0;
    // Asked before the capture dialog opens; false stops there.
    virtual bool readyToCapture() { return true; }
    // The page's own controls follow the off switch too.
    virtual void enableOwnControls(bool) {}

    void onInit() override;
    bool onCommand(WORD id, WORD code, HWND control) override;
    bool onNotify(NMHDR& header) override;

    void rebuild(int select);
    int selection() const;
    void updateEnabled();

private:
    void add();
    void edit();
    void remove();
    void reset();
};

// The list operations that do not depend on the kind of input.
template <typename Binding>
class BindingListPageOf : public BindingListPage {
public:
    using List = std::vector<Binding>;

    BindingListPageOf(int templateId, const std::wstring& section, Ini& settings, bool& disable, List& list)
        : BindingListPage(templateId, section, settings, disable), list_(list) {}

protected:
    std::size_t count() const override { return list_.size(); }
    std::wstring actionAt(std::size_t index) const override { return list_[index].action; }
    void eraseAt(std::size_t index) override { list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(index)); }
    // Opens Dialog(binding, adding, extra...) on a copy of binding `index`, or
    // on `fresh` past the end, and stores what the user kept.
    template <typename Dialog, typename... Extra>
    bool captureWith(std::size_t index, const Binding& fresh, Extra... extra) {
        const bool add = index >= list_.size();
        Binding binding = add ? fresh : list_[index];
        Dialog dialog(binding, add, extra...);
        if (dialog.show(hwnd()) != IDOK) return false;
        if (add)
            list_.push_back(binding);
        else
            list_[index] = binding;
        return true;
    }

    List& list_;
};

}  // namespace tavelapp
