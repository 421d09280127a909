#pragma once
#include <string>

namespace protocol {

// The list of found devices as the protocol fills it. The main window
// implements it over its list view.
class DeviceListView {
public:
    static constexpr int kNoImage = -1;
    static constexpr int kImageExclamation = 0;
    static constexpr int kImageLetterE = 1;

    virtual ~DeviceListView() = default;
    virtual void Clear() = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void AddRow(const std::string& caption, const std::string& subItem1, const std::string& subItem2,
                        int imageIndex) = 0;
    virtual void Repaint() = 0;
};

} // namespace protocol
