// One running copy per user (see SingleInstance.h).
#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {

constexpr char kRaise[] = "raise\n";

int MakeSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

}  // namespace

SingleInstance::SingleInstance(std::string runtimeFolder) : folder(std::move(runtimeFolder)) {}

SingleInstance::~SingleInstance() {
    if (listener >= 0) ::close(listener);
    if (ownsFile) ::unlink((folder + "/brettspalt.socket").c_str());
}

bool SingleInstance::FillAddress(void* address, unsigned* length) const {
    sockaddr_un* un = static_cast<sockaddr_un*>(address);
    std::memset(un, 0, sizeof *un);
    un->sun_family = AF_UNIX;
    if (folder.empty()) {
        // Abstract: a leading zero byte, then the name; nothing on disk.
        const std::string name = "brettspalt-" + std::to_string(::getuid());
        std::memcpy(un->sun_path + 1, name.data(), name.size());
        *length = static_cast<unsigned>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        return true;
    }
    const std::string path = folder + "/brettspalt.socket";
    if (path.size() >= sizeof un->sun_path) return false;
    std::memcpy(un->sun_path, path.c_str(), path.size() + 1);
    *length = static_cast<unsigned>(sizeof *un);
    return true;
}

SingleInstance::Claim SingleInstance::Acquire() {
    sockaddr_un address;
    unsigned length = 0;
    if (!FillAddress(&address, &length)) return Claim::Unavailable;
    const sockaddr* at = reinterpret_cast<const sockaddr*>(&address);

    // Two tries: a socket file left by a copy that crashed is removed once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (client < 0) return Claim::Unavailable;
        if (::connect(client, at, length) == 0) {
            const ssize_t sent = ::send(client, kRaise, sizeof kRaise - 1, MSG_NOSIGNAL);
            (void)sent;
            ::close(client);
            return Claim::AnotherRuns;
        }
        const int connectError = errno;
        ::close(client);

        listener = MakeSocket();
        if (listener < 0) return Claim::Unavailable;
        if (::bind(listener, at, length) == 0 && ::listen(listener, 4) == 0) {
            ownsFile = !folder.empty();
            return Claim::First;
        }
        const int bindError = errno;
        ::close(listener);
        listener = -1;
        if (bindError != EADDRINUSE) return Claim::Unavailable;
        // In use but nobody answered: a stale socket file.
        if (!folder.empty() && connectError == ECONNREFUSED) {
            ::unlink((folder + "/brettspalt.socket").c_str());
        }
    }
    return Claim::Unavailable;
}

bool SingleInstance::RaiseRequested() {
    if (listener < 0) return false;
    bool asked = false;
    for (;;) {
        const int peer = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (peer < 0) break;
        // Whatever the peer says (it says "raise"), a connection is the request.
        char buffer[16];
        (void)::recv(peer, buffer, sizeof buffer, 0);
        ::close(peer);
        asked = true;
    }
    return asked;
}
