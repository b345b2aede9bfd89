#pragma once
#include <vector>

#include "DispatchTable.h"
#include "player/PlayerInterface.h"

namespace simplayer {

// A source (IITSource): the library and its playlists.
class SourceObject : public DispatchTable<SourceObject> {
public:
    explicit SourceObject(tavelapp::itunes::SourcePtr source) : source_(std::move(source)) {}
    tavelapp::itunes::Source& target() { return *source_; }
    static const std::vector<DispMember<SourceObject>>& members();

protected:
    std::shared_ptr<tavelapp::itunes::Object> modelObject() override { return source_; }

private:
    tavelapp::itunes::SourcePtr source_;
};

}  // namespace simplayer
