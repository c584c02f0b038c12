#include "gis/ogr/server_row_cache.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <utility>

#include "platform/debug_output.h"

namespace chronova::gis {

ServerRowCache::ServerRowCache(size_t budget_bytes)
    : budget_(budget_bytes), worker_([this](const std::stop_token& stop) { Work(stop); }) {}

ServerRowCache::~ServerRowCache() {
    {
        std::lock_guard lock(mutex_);
        queue_.clear();
    }
    worker_.request_stop();
    wake_.notify_all();
    worker_.join();
}

size_t ServerRowCache::DefaultBudget() {
    const char* text = std::getenv("CHRONOVA_SERVER_CACHE_MB");
    char* end = nullptr;
    const unsigned long long megabytes = text != nullptr ? std::strtoull(text, &end, 10) : 0;
    if (text == nullptr || end == text || *end != '\0' || megabytes > (size_t{1} << 20)) {
        return size_t{256} << 20;
    }
    return static_cast<size_t>(megabytes) << 20;
}

size_t ServerRowCache::BytesOf(const LayerContents& rows) {
    size_t bytes = 0;
    if (rows.Data) {
        for (size_t i = 0; i < rows.Data->FieldCount(); ++i) {
            const Column& column = rows.Data->ColumnAt(i);
            bytes += column.Integers().size() * sizeof(int32_t) + column.Reals().size() * sizeof(double);
            for (const std::string& text : column.Texts()) {
                bytes += sizeof(std::string) + text.capacity();
            }
        }
    }
    if (rows.Shapes) {
        bytes += (rows.Shapes->X.size() + rows.Shapes->Y.size()) * sizeof(double) +
                 (rows.Shapes->FeatureParts.size() + rows.Shapes->PartOffsets.size()) * sizeof(uint32_t);
    }
    return bytes;
}

bool ServerRowCache::Holds(const std::string& key) const {
    std::lock_guard lock(mutex_);
    return kept_.count(key) != 0;
}

ServerRowCache::Rows ServerRowCache::Get(const std::string& key, const Fetch& fetch) {
    std::shared_future<Rows> coming;
    {
        std::lock_guard lock(mutex_);
        if (auto found = kept_.find(key); found != kept_.end()) {
            uses_.splice(uses_.begin(), uses_, found->second.use);
            return found->second.rows;
        }
        if (auto found = on_the_way_.find(key); found != on_the_way_.end()) {
            coming = found->second;
        }
        // A prefetch of these rows that has not started is dropped: this thread fetches them now.
        const auto queued =
            std::find_if(queue_.begin(), queue_.end(), [&](const auto& job) { return job.first == key; });
        if (queued != queue_.end()) {
            queue_.erase(queued);
        }
    }
    if (coming.valid()) {
        try {
            return coming.get();
        } catch (const std::exception&) {
            // The prefetch failed; asking again here reports the error to whoever needs the rows.
        }
    }
    Rows rows = fetch();
    Keep(key, rows);
    return rows;
}

void ServerRowCache::Prefetch(const std::string& key, Fetch fetch) {
    {
        std::lock_guard lock(mutex_);
        if (kept_.count(key) != 0 || on_the_way_.count(key) != 0) {
            return;
        }
        for (const auto& waiting : queue_) {
            if (waiting.first == key) {
                return;
            }
        }
        queue_.emplace_back(key, std::move(fetch));
    }
    wake_.notify_one();
}

void ServerRowCache::Keep(const std::string& key, Rows rows) {
    const size_t bytes = rows ? BytesOf(*rows) : 0;
    std::lock_guard lock(mutex_);
    if (bytes > budget_ || kept_.count(key) != 0) {
        return; // rows larger than the whole budget would only push everything else out
    }
    uses_.push_front(key);
    kept_.emplace(key, Entry{std::move(rows), bytes, uses_.begin()});
    bytes_ += bytes;
    while (bytes_ > budget_ && !uses_.empty()) {
        const auto oldest = kept_.find(uses_.back());
        bytes_ -= oldest->second.bytes;
        kept_.erase(oldest);
        uses_.pop_back();
    }
}

void ServerRowCache::Work(const std::stop_token& stop) {
    for (;;) {
        std::pair<std::string, Fetch> job;
        std::promise<Rows> promise;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, stop, [this] { return !queue_.empty(); })) {
                return;
            }
            job = std::move(queue_.front());
            queue_.pop_front();
            if (kept_.count(job.first) != 0) {
                continue; // fetched meanwhile by a thread that could not wait
            }
            on_the_way_.emplace(job.first, promise.get_future().share());
        }
        try {
            Rows rows = job.second();
            Keep(job.first, rows);
            promise.set_value(std::move(rows));
        } catch (const std::exception& failure) {
            platform::DebugOutput("prefetch of rows failed: " + std::string(failure.what()));
            promise.set_exception(std::current_exception());
        }
        std::lock_guard lock(mutex_);
        on_the_way_.erase(job.first);
    }
}

} // namespace chronova::gis
