// Makes sure only one copy of the game runs per user: the first copy listens
// on a UNIX socket (brettspalt.socket under XDG_RUNTIME_DIR, or an abstract
// socket named after the user when that variable is not set); a second copy
// that reaches it asks it to come to the front and ends.
#pragma once

#include <string>

class SingleInstance {
public:
    // runtimeFolder: where the socket lives; empty: the abstract namespace.
    explicit SingleInstance(std::string runtimeFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    enum class Claim { First, AnotherRuns, Unavailable };
    // First: this copy now owns the socket. AnotherRuns: a running copy was
    // reached and asked to come to the front. Unavailable: no socket could be
    // made (the game then runs without the check).
    Claim Acquire();

    // Without waiting: true when another copy has asked since the last call.
    bool RaiseRequested();

private:
    bool FillAddress(void* address, unsigned* length) const;

    std::string folder;
    int listener = -1;
    bool ownsFile = false;
};
