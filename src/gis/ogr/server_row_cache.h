#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "gis/ogr/columnar_reader.h"

namespace chronova::gis {

/// Rows fetched from a database server, kept by the condition they answer so that stepping back and forth or
/// replaying costs no second query, within a memory budget: the rows used longest ago go first. Fetches can also
/// be started ahead on a worker thread (the next steps of a playback), and a request for rows that are on their
/// way waits for them instead of asking the server again.
class ServerRowCache {
public:
    using Rows = std::shared_ptr<const LayerContents>;
    using Fetch = std::function<Rows()>;

    explicit ServerRowCache(size_t budget_bytes);
    ServerRowCache(const ServerRowCache&) = delete;
    ServerRowCache& operator=(const ServerRowCache&) = delete;
    /// Waits for the fetch under way, drops the ones not started.
    ~ServerRowCache();

    /// The rows under key: kept ones, the ones a fetch under way brings, or fetch() run on this thread.
    Rows Get(const std::string& key, const Fetch& fetch);
    /// Fetches key on the worker thread unless its rows are kept or on their way. A failed fetch is forgotten,
    /// so that Get asks again and reports the error.
    void Prefetch(const std::string& key, Fetch fetch);
    /// Whether rows are kept under key now.
    bool Holds(const std::string& key) const;

    /// About how many bytes rows take in memory.
    static size_t BytesOf(const LayerContents& rows);
    /// The budget from CHRONOVA_SERVER_CACHE_MB, else 256 MiB.
    static size_t DefaultBudget();

private:
    struct Entry {
        Rows rows;
        size_t bytes = 0;
        std::list<std::string>::iterator use;
    };
    void Keep(const std::string& key, Rows rows);
    void Work(const std::stop_token& stop);

    const size_t budget_;
    mutable std::mutex mutex_;
    std::map<std::string, Entry> kept_;
    std::list<std::string> uses_; // most recent first
    size_t bytes_ = 0;
    std::map<std::string, std::shared_future<Rows>> on_the_way_;
    std::deque<std::pair<std::string, Fetch>> queue_;
    std::condition_variable_any wake_;
    std::jthread worker_;
};

} // namespace chronova::gis
