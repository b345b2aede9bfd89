#include "player/model/ModelPlayerHost.h"

#include <mutex>

#include "base/AppException.h"

namespace tavelapp {
namespace itunes {
namespace model {

struct ModelPlayerHost::State {
    mutable std::mutex lock;
    Library library;
    std::shared_ptr<PlayerModel> model;
    bool visible = true;
    int activations = 0;
    int minimizations = 0;
    int boots = 0;

    std::shared_ptr<PlayerModel> current() const {
        std::lock_guard<std::mutex> guard(lock);
        return model && model->running() ? model : nullptr;
    }
    // Connecting starts the player when it is down, as the real one does.
    std::shared_ptr<PlayerModel> startIfNeeded() {
        std::lock_guard<std::mutex> guard(lock);
        if (!model || !model->running()) {
            model = PlayerModel::create(library);
            visible = true;
            ++boots;
        }
        return model;
    }
};

namespace {

class ModelConnection : public PlayerConnection {
public:
    ModelConnection(std::shared_ptr<ModelPlayerHost::State> state, ITunesEventsListener* listener)
        : state_(std::move(state)), listener_(listener) {}
    ~ModelConnection() override { disconnect(); }

    App& app() override {
        if (!connect()) throw AppException();
        return *app_;
    }
    bool connect() override {
        if (app_) return true;
        model_ = state_->startIfNeeded();
        app_ = model_->app();
        if (listener_ != nullptr) model_->addListener(listener_);
        return true;
    }
    void disconnect() override {
        if (model_ && listener_ != nullptr) model_->removeListener(listener_);
        app_.reset();
        model_.reset();
    }
    bool connected() const override { return static_cast<bool>(app_); }

private:
    std::shared_ptr<ModelPlayerHost::State> state_;
    ITunesEventsListener* listener_;
    std::shared_ptr<PlayerModel> model_;
    std::shared_ptr<App> app_;
};

}  // namespace

ModelPlayerHost::ModelPlayerHost(Library library, bool running) : state_(std::make_shared<State>()) {
    state_->library = std::move(library);
    if (running) state_->model = PlayerModel::create(state_->library);
}

std::unique_ptr<PlayerConnection> ModelPlayerHost::open() { return std::make_unique<ModelConnection>(state_, nullptr); }

std::unique_ptr<PlayerConnection> ModelPlayerHost::openObserved(ITunesEventsListener* listener) {
    return std::make_unique<ModelConnection>(state_, listener);
}

bool ModelPlayerHost::isRunning() { return static_cast<bool>(state_->current()); }

bool ModelPlayerHost::isWindowVisible() {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->model && state_->model->running() && state_->visible;
}

void ModelPlayerHost::activateWindow() {
    std::lock_guard<std::mutex> guard(state_->lock);
    ++state_->activations;
    state_->visible = true;
}

void ModelPlayerHost::minimizeWindow() {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (!state_->visible) return;
    ++state_->minimizations;
    state_->visible = false;
}

bool ModelPlayerHost::boot() {
    state_->startIfNeeded();
    return true;
}

std::shared_ptr<PlayerModel> ModelPlayerHost::model() const { return state_->current(); }

void ModelPlayerHost::shutDown() {
    std::shared_ptr<PlayerModel> model = state_->current();
    if (model) model->app()->quit();
}

void ModelPlayerHost::setWindowVisible(bool visible) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->visible = visible;
}

int ModelPlayerHost::activations() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->activations;
}

int ModelPlayerHost::minimizations() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->minimizations;
}

int ModelPlayerHost::boots() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->boots;
}

}  // namespace model
}  // namespace itunes
}  // namespace tavelapp
