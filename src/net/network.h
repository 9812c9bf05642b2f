// Where network messages go: towards the server (this copy's own server, or the socket to a
// remote one) and from the own server to this copy's client logic. Local traffic passes
// through one queue, so that no handler runs inside another.
#pragma once

#include <cstdint>
#include <string>

#include "net/eventsource.h"
#include "net/wire.h"

namespace kestrin {

class Server;

// The readiness source sockets are watched with (the window's or a poll loop); not owned.
// Installing another one (nullptr before the old one goes) closes what the old one watched.
void InstallEventSource(EventSource* events);

// Sends a message towards the server.
void SendToServer(std::uint8_t type, const Payload& payload);

// "Start Server": opens the listener and seats this copy's user at table 0 as an onlooker.
bool StartServerCommand(std::uint16_t port = NetPort);
// This copy's server while it runs, else nullptr.
Server* OwnServer();
void StopOwnServer();

// The socket to a remote server. OpenServerLink returns ConnectToServer's codes.
int OpenServerLink(const std::string& address, std::uint16_t port);
// True from a successful OpenServerLink until CloseServerLink, even when the peer closed it.
bool ServerLinkOpen();
void CloseServerLink();

// Runs the queued local messages unless a run is already under way.
void DrainLocalMessages();

} // namespace kestrin
