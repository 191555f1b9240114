// Watches the characters typed into the game window for the cheat code
// "74qv19". Shared by every host: each feeds it the characters it receives.
#pragma once

#include <array>

class CheatWatcher {
public:
    // One typed character (its low byte counts). The last ten are kept; the
    // code counts once it stands among them. Because the window starts as ten
    // zero bytes and is read as a string from its first byte, nothing is
    // recognised before ten characters have been typed in all (deliberate:
    // the game has always behaved so).
    void OnCharacter(unsigned int c);
    // True from the moment the code was recognised for the rest of the run.
    bool Entered() const { return entered; }

private:
    std::array<char, 11> window{};  // ten characters and a terminating zero
    bool entered = false;
};
