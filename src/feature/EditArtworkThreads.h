#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "amazon/Client.h"
#include "base/Picture.h"
#include "base/Thread.h"
#include "feature/AlbumArtwork.h"
#include "player/PlayerInterface.h"
#include "win/dib/DIB.h"

namespace tavelapp {

// The artwork editor's workers. None touches the dialog: each hands its
// result to a task that it posts to the main thread when done. They may
// outlive the dialog, and let go of the search client when their work is done.

// Runs `work` against the player through a connection of its own; a player
// that cannot be reached or fails leaves the work where it stopped.
class PlayerWork : public Thread {
public:
    PlayerWork(std::function<void(itunes::App&)> work, std::function<void()> then)
        : work_(std::move(work)), then_(std::move(then)) {}
    ~PlayerWork() override { wait(); }

protected:
    int run() override;

private:
    std::function<void(itunes::App&)> work_;
    std::function<void()> then_;
};

// One picture a cover search found, decoded and with its thumbnail.
struct FoundArtwork {
    PicturePtr picture;
    tavel::win::dib::DIB thumbnail;
    std::wstring title;
    std::wstring artist;
    std::wstring file;
    amazon::Client::Provider provider = amazon::Client::Store;
};
using FoundArtworks = std::vector<FoundArtwork>;

// Searches with the client (which reports progress to its window), then
// decodes the downloaded pictures; files nothing decodes are left out.
class ClientThread : public Thread {
public:
    static const int kThumbnailSide = 56;
    ClientThread(std::shared_ptr<amazon::Client> client, std::wstring keywords, std::wstring artist, std::wstring album,
                 std::function<void(std::shared_ptr<FoundArtworks>)> then)
        : client_(std::move(client)),
          keywords_(std::move(keywords)),
          artist_(std::move(artist)),
          album_(std::move(album)),
          then_(std::move(then)) {}
    ~ClientThread() override { wait(); }
    // Ends the search at its next step; the result then holds no pictures.
    void cancel() { cancel_->cancel(); }

protected:
    int run() override;

private:
    std::shared_ptr<amazon::Client> client_;
    std::shared_ptr<amazon::SearchCancel> cancel_ = std::make_shared<amazon::SearchCancel>();
    std::wstring keywords_, artist_, album_;
    std::function<void(std::shared_ptr<FoundArtworks>)> then_;
};

// Makes the picture the only artwork of the listed album tracks, telling the
// user before and after when NotifyApplyCompleted is on. Holds the client, so
// the downloaded file stays until it is done. Hands over the tracks' new
// artwork counts.
class ApplyArtworkThread : public Thread {
public:
    using Counts = std::vector<std::pair<long, long>>;
    ApplyArtworkThread(std::set<long> trackIds, AlbumQuery query, std::wstring file,
                       std::shared_ptr<amazon::Client> client, std::function<void(std::shared_ptr<Counts>)> then)
        : trackIds_(std::move(trackIds)),
          query_(std::move(query)),
          file_(std::move(file)),
          client_(std::move(client)),
          then_(std::move(then)) {}
    ~ApplyArtworkThread() override { wait(); }

protected:
    int run() override;

private:
    std::set<long> trackIds_;
    AlbumQuery query_;
    std::wstring file_;
    std::shared_ptr<amazon::Client> client_;
    std::function<void(std::shared_ptr<Counts>)> then_;
};

}  // namespace tavelapp
