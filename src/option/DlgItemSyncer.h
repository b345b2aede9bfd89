#pragma once
#include <string>
#include <utility>

#include "win/util/DlgItemSyncer.h"

namespace tavelapp {

// The syncer of one options page or capture dialog: its language section
// localises the controls (template captions are text keys) before the values
// are shown.
class DlgItemSyncer : public tavel::win::util::DlgItemSyncer {
public:
    explicit DlgItemSyncer(std::wstring section) : section_(std::move(section)) {}

    const std::wstring& section() const { return section_; }
    // Localises the dialog and shows the bound values.
    void init(HWND dialog);
    std::wstring text(const std::wstring& key) const;
    using tavel::win::util::DlgItemSyncer::text;

private:
    std::wstring section_;
};

}  // namespace tavelapp
