// The game window's icon (see WindowIcon.h).
#include "platform/sdl/WindowIcon.h"

// Generated into the build tree by assetgen --icons (cmake/Desktop.cmake).
#include "brettspalt_window_icon.inc"

void SetWindowIcon(SDL_Window* window) {
    // SDL copies the pixels; the surface only lends them.
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<unsigned*>(kWindowIconPixels), kWindowIconSize, kWindowIconSize, 32,
        kWindowIconSize * 4, SDL_PIXELFORMAT_ARGB8888);
    if (icon == nullptr) return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}
