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
    kLoading = 1,
    kDesigning = 2,
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
    bool IsLoading() const { return state_ & kLoading; }
    bool IsDesigning() const { return state_ & kDesigning; }
    void SetDesigning(bool value) { value ? state_ |= kDesigning : state_ &= ~kDesigning; }

    // Reading stored properties: BeginLoading, the setters, then Loaded.
    void BeginLoading() { state_ |= kLoading; }
    virtual void Loaded() { state_ &= ~kLoading; }

private:
    QObject* owner_;
    std::string name_;
    uint8_t state_ = 0;
};

} // namespace net
