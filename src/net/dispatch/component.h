// SPDX-License-Identifier: MIT
// The small component base the socket classes stand on: a name, an owner
// (recorded only; whoever holds the component ends its life) and the
// loading/designing state a form sets while it reads stored properties.
#pragma once

#include <cstdint>
#include <string>

class QObject;

namespace net {

enum ComponentStateFlag : uint8_t {
    csLoading = 1,
    csDesigning = 2,
};

class TComponent {
public:
    explicit TComponent(QObject* owner = nullptr) : owner_(owner) {}
    virtual ~TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    QObject* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }

    uint8_t ComponentState() const { return state_; }
    bool IsLoading() const { return state_ & csLoading; }
    bool IsDesigning() const { return state_ & csDesigning; }
    void SetDesigning(bool value) { value ? state_ |= csDesigning : state_ &= ~csDesigning; }

    // Reading stored properties: BeginLoading, the setters, then Loaded.
    void BeginLoading() { state_ |= csLoading; }
    virtual void Loaded() { state_ &= ~csLoading; }

private:
    QObject* owner_;
    std::string name_;
    uint8_t state_ = 0;
};

} // namespace net
