#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "base/Util.h"

// Stands in for the controller in the Windows tests: keeps every notice the
// program gives, from whichever thread it comes.
class NoticeRecorder : public tavelapp::Util::UtilListener {
public:
    struct Notice {
        std::string key;
        std::wstring text;
        int kind;
    };

    void onTrackChanged(const tavelapp::PlayerState&) override {}
    void onPlayerStateChanged(const tavelapp::PlayerState&) override {}
    void notify(const std::string& key, const std::wstring& text, const tavelapp::PicturePtr&, int kind) override {
        std::lock_guard<std::mutex> guard(lock_);
        notices_.push_back({key, text, kind});
    }
    void checkObservationSoon() override {}
    void restartWiimoteServer() override {}
    void showOption() override {}

    std::vector<Notice> notices() const {
        std::lock_guard<std::mutex> guard(lock_);
        return notices_;
    }
    int count(const std::string& key) const {
        int n = 0;
        for (const Notice& notice : notices())
            n += notice.key == key ? 1 : 0;
        return n;
    }
    // The texts of the actions the runner could not find, in order: the tests'
    // bindings name no real action, so this is what the bindings ran.
    std::vector<std::wstring> ran() const {
        std::vector<std::wstring> out;
        for (const Notice& notice : notices())
            if (notice.key == "cancelRunAction") out.push_back(notice.text);
        return out;
    }
    void clear() {
        std::lock_guard<std::mutex> guard(lock_);
        notices_.clear();
    }

private:
    mutable std::mutex lock_;
    std::vector<Notice> notices_;
};
