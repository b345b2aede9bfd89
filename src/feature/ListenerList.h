#pragma once
#include <algorithm>
#include <vector>

namespace tavelapp {

// The features' listeners, told in the order they registered. A listener may
// leave or join while being told; the call goes to those registered before.
template <class Listener>
class ListenerList {
public:
    void add(Listener* listener) {
        if (std::find(list_.begin(), list_.end(), listener) == list_.end()) list_.push_back(listener);
    }
    void remove(Listener* listener) { list_.erase(std::remove(list_.begin(), list_.end(), listener), list_.end()); }
    template <class Subject>
    void tell(Subject& subject) const {
        const std::vector<Listener*> listeners = list_;
        for (Listener* listener : listeners)
            listener->onStateChanged(subject);
    }

private:
    std::vector<Listener*> list_;
};

}  // namespace tavelapp
