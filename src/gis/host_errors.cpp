#include "gis/host_errors.h"

#include <deque>
#include <mutex>

#include "platform/debug_output.h"

namespace chronova::gis {
namespace {

struct HostErrorLog {
    std::mutex mutex;
    std::deque<std::string> messages;
};

HostErrorLog& Log() {
    static HostErrorLog log;
    return log;
}

} // namespace

void ReportHostError(const std::string& message) {
    platform::DebugOutput("Host error: " + message);
    {
        auto& log = Log();
        std::lock_guard lock(log.mutex);
        log.messages.push_back(message);
        while (log.messages.size() > kKeptHostErrors) {
            log.messages.pop_front();
        }
    }
    HostErrorReported().Fire(message);
}

std::vector<std::string> RecentHostErrors() {
    auto& log = Log();
    std::lock_guard lock(log.mutex);
    return {log.messages.begin(), log.messages.end()};
}

void ClearHostErrors() {
    auto& log = Log();
    std::lock_guard lock(log.mutex);
    log.messages.clear();
}

platform::Event<const std::string&>& HostErrorReported() {
    static platform::Event<const std::string&> event;
    return event;
}

} // namespace chronova::gis
