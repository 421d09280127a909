// SPDX-License-Identifier: MIT
#include "event_log.h"

#include "byte_text.h"

#include <cerrno>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace muxsim {

EventLog::EventLog(const std::string& path) : file_(std::fopen(path.c_str(), "we"))
{
    if (!file_)
        throw std::runtime_error("open " + path + ": " + ErrnoText(errno));
}

void EventLog::Write(const nlohmann::ordered_json& entry)
{
    if (!file_)
        return;
    const std::string line = entry.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
    std::fwrite(line.data(), 1, line.size(), file_.get());
    std::fflush(file_.get());
}

} // namespace muxsim
