#pragma once
#include <memory>

#include "player/PlayerHost.h"
#include "player/model/PlayerModel.h"

namespace tavelapp {
namespace itunes {
namespace model {

// The in-memory player as the program's player host: its "window" exists
// while the model runs (or until it is told the player is down), and booting
// brings up a fresh model from the same library.
class ModelPlayerHost : public PlayerHost {
public:
    explicit ModelPlayerHost(Library library, bool running = true);

    std::unique_ptr<PlayerConnection> open() override;
    std::unique_ptr<PlayerConnection> openObserved(ITunesEventsListener* listener) override;
    bool isRunning() override;
    bool isWindowVisible() override;
    void activateWindow() override;
    void minimizeWindow() override;
    bool boot() override;

    // The running model (null while the player is down).
    std::shared_ptr<PlayerModel> model() const;
    // Simulates the player being closed (no model, no window).
    void shutDown();
    void setWindowVisible(bool visible);
    int activations() const;
    int minimizations() const;
    int boots() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace model
}  // namespace itunes
}  // namespace tavelapp
