#pragma once
#include <functional>
#include <string>

namespace tavelapp {

// Where a queued job came from: the input binding that produced it and
// whether it is that binding's auto-repeat. Dispatch runs synchronously on the
// main thread, so a Scope around it tags every job the dispatch starts.
class ActionOrigin {
public:
    class Scope;

    ActionOrigin() = default;
    ActionOrigin(std::string binding, bool repeat, std::function<bool()> stillHeld = nullptr)
        : binding_(std::move(binding)), repeat_(repeat), stillHeld_(std::move(stillHeld)) {}

    // The origin of the scope open on the calling thread; none outside one.
    static ActionOrigin current();

    const std::string& binding() const { return binding_; }
    bool repeat() const { return repeat_; }
    // A repeat that waited is still wanted only while its key is held: once the
    // key is let go, the slide stops instead of running what piled up.
    bool wanted() const;

private:
    std::string binding_;  // empty: not from an input binding
    bool repeat_ = false;
    std::function<bool()> stillHeld_;
};

// Marks what the calling thread starts while the scope lives.
class ActionOrigin::Scope {
public:
    explicit Scope(ActionOrigin origin);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    ActionOrigin previous_;
};

}  // namespace tavelapp
