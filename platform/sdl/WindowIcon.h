// The game window's icon, drawn by the content generator (assetgen --icons)
// and compiled in, so the window has it wherever the game's data lies.
#pragma once

#include <SDL.h>

// Sets the icon; does nothing in a build made without it.
void SetWindowIcon(SDL_Window* window);
