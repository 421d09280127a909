// SPDX-License-Identifier: MIT
#include "conflicts/adapter_addresses_windows.h"
#include "conflicts/workstation_addresses.h"

#include "checks/dotted_address.h"

#include <algorithm>
#include <ws2tcpip.h>

namespace conflicts {

bool ReadAdapters(std::vector<AdapterAddresses>& adapters, unsigned long& error)
{
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    error = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && error == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        error = GetAdaptersAddresses(AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST, nullptr,
                                     reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (error != NO_ERROR)
        return false;
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter; adapter = adapter->Next) {
        AdapterAddresses entry;
        char name[256] = {};
        WideCharToMultiByte(CP_UTF8, 0, adapter->FriendlyName, -1, name, sizeof name - 1, nullptr, nullptr);
        entry.FriendlyName = name;
        entry.Up = adapter->OperStatus == IfOperStatusUp;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next)
            if (unicast->Address.lpSockaddr->sa_family == AF_INET)
                entry.Addresses.push_back(reinterpret_cast<const sockaddr_in*>(unicast->Address.lpSockaddr)->sin_addr);
        adapters.push_back(std::move(entry));
    }
    return true;
}

WorkstationAddressList WorkstationAddresses()
{
    WorkstationAddressList list;
    std::vector<AdapterAddresses> adapters;
    unsigned long error = 0;
    if (!ReadAdapters(adapters, error)) {
        list.Error = std::to_string(error);
        return list;
    }
    for (const AdapterAddresses& adapter : adapters)
        for (const in_addr& address : adapter.Addresses) {
            const std::string text = checks::DottedText(ntohl(address.s_addr));
            if (std::find(list.Addresses.begin(), list.Addresses.end(), text) == list.Addresses.end())
                list.Addresses.emplace_back(text);
        }
    return list;
}

} // namespace conflicts
