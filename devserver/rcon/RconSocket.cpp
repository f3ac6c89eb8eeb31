#include "RconSocket.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace txl::devserver {

void UniqueFd::Reset() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

namespace {

[[noreturn]] void ThrowErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

uint16_t PortOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    }
    return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
}

}  // namespace

RconListener OpenRconListener(const std::string& bindAddress, uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | AI_PASSIVE;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = getaddrinfo(bindAddress.c_str(), service.c_str(), &hints, &found); rc != 0) {
        throw std::system_error(EINVAL, std::generic_category(),
                                "rcon bind address '" + bindAddress + "': " + gai_strerror(rc));
    }
    RconListener listener;
    listener.fd =
        UniqueFd(socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!listener.fd.Valid()) {
        freeaddrinfo(found);
        ThrowErrno("rcon socket");
    }
    const int on = 1;
    setsockopt(listener.fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const int bound = bind(listener.fd.Get(), found->ai_addr, found->ai_addrlen);
    freeaddrinfo(found);
    if (bound != 0) {
        ThrowErrno("rcon bind " + bindAddress + ":" + service);
    }
    if (listen(listener.fd.Get(), SOMAXCONN) != 0) {
        ThrowErrno("rcon listen");
    }
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (getsockname(listener.fd.Get(), reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        ThrowErrno("rcon getsockname");
    }
    listener.port = PortOf(local);
    return listener;
}

RconPeer AcceptRconPeer(int listenFd) {
    RconPeer peer;
    sockaddr_storage remote{};
    socklen_t length = sizeof remote;
    peer.fd = UniqueFd(accept4(listenFd, reinterpret_cast<sockaddr*>(&remote), &length,
                               SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!peer.fd.Valid()) {
        return peer;
    }
    const int on = 1;
    setsockopt(peer.fd.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    char host[NI_MAXHOST] = "?";
    getnameinfo(reinterpret_cast<const sockaddr*>(&remote), length, host, sizeof host, nullptr, 0,
                NI_NUMERICHOST);
    peer.host = host;
    const std::string port = std::to_string(PortOf(remote));
    peer.label =
        remote.ss_family == AF_INET6 ? "[" + peer.host + "]:" + port : peer.host + ":" + port;
    return peer;
}

}  // namespace txl::devserver
