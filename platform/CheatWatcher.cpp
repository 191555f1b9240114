// The typed-character watcher of the cheat code (see CheatWatcher.h).
#include "platform/CheatWatcher.h"

#include <cstring>

void CheatWatcher::OnCharacter(unsigned int c) {
    std::memmove(window.data(), window.data() + 1, 9);
    window[9] = static_cast<char>(c & 0xFF);
    window[10] = 0;
    if (std::strstr(window.data(), "74qv19")) entered = true;
}
