// The device protocol put together as the main window puts it: the command
// socket with the window's settings, the reply timer, a list that keeps the
// MACs of its rows, and operator messages that go to stderr.
#pragma once
#include "net/udp_socket.h"
#include "protocol/device_protocol.h"

#include <QObject>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

struct EngineRig {
    class ListedMacs : public protocol::DeviceListView {
    public:
        void Clear() override { macs.clear(); }
        void SetEnabled(bool) override {}
        void AddRow(const std::string&, const std::string&, const std::string& mac, int) override
        {
            macs.push_back(mac);
        }
        void Repaint() override {}
        std::vector<std::string> macs;
    };

    class MessagesToStderr : public protocol::OperatorMessages {
    public:
        void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    };

    EngineRig()
    {
        socket.SetLocalPort("1154");
        socket.SetBroadcastOption(true);
        socket.SetUseSendBuffer(false);
        socket.SetUseReceiveBuffer(false);
    }

    // Binds the socket's data and the timer's tick to the engine, as the window does.
    void BindEvents()
    {
        socket.OnDataAvailable = [this](net::AUDPSocket&) { protocol.GniazdoTransmisjiRozkazowDoModuluDataAvailable(); };
        QObject::connect(&timeout, &QTimer::timeout, [this] { protocol.TimeoutTimer(); });
    }

    net::TUDPSocket socket;
    QTimer timeout;
    ListedMacs list;
    MessagesToStderr messages;
    protocol::DeviceProtocol protocol{socket, timeout, list, messages};
};
