// SPDX-License-Identifier: MIT
// The JSON-lines log: one object per line, flushed per line so a reader in
// another process sees every event as soon as it happened.
#pragma once

#include <cstdio>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>

namespace muxsim {

class EventLog {
public:
    EventLog() = default; // logs nothing
    // Throws std::runtime_error "open PATH: number text".
    explicit EventLog(const std::string& path);

    void Write(const nlohmann::ordered_json& entry);

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
};

} // namespace muxsim
