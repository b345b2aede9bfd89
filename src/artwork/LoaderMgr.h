#pragma once
#include <string>
#include <vector>

#include "base/Picture.h"
#include "artwork/Loader.h"

namespace tavelapp {
namespace artwork {

// Turns picture files into pictures: the Susie decoders in the Susie folder,
// asked in order, then the system's own decoder (unless turned off), then the
// placeholder picture.
class LoaderMgr {
public:
    // Built on first use from the Susie folder beside Option.ini.
    static LoaderMgr& instance();
    explicit LoaderMgr(std::vector<LoaderPtr> loaders);
    virtual ~LoaderMgr();
    LoaderMgr(const LoaderMgr&) = delete;
    LoaderMgr& operator=(const LoaderMgr&) = delete;

    // None when ShowArtwork is off or the file cannot be opened; the
    // placeholder (with `withPlaceholder`) when nothing decodes it.
    PicturePtr load(const std::wstring& path, bool withPlaceholder) const;
    const std::vector<LoaderPtr>& loaders() const { return loaders_; }

    // The usable decoders among the "*.spi" files of `folder`, in listing order.
    static std::vector<LoaderPtr> loadSusiePlugins(const std::wstring& folder);
    // 96 x 96, drawn for the program.
    static PicturePtr placeholder();

private:
    std::vector<LoaderPtr> loaders_;
};

// The working folder for artwork files, created on first use.
std::wstring artworkFolder();
// Removes the working files (*.tmp) a crash left in that folder; at start,
// before anything writes one.
void removeLeftovers();

}  // namespace artwork
}  // namespace tavelapp
