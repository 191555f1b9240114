// The fixed set of named asset references the game starts with: the
// configuration texts, the music, the two fonts, the background, the menu
// pictures, and the picture and sound references of the 140 animation
// records. They live in static storage for the whole run and are built before
// the game starts (name copied, index -1, both flags clear); the AnimProps and
// object files may rename them later.
#pragma once

#include "game/AssetLibrary.h"

namespace AssetNames {

AssetRef& Config();      // "Config": the configuration texts inside the library
AssetRef& Music();       // "SOUND_Music": menu and in-game music
AssetRef& FontLarge();   // "font_gr_normal"
AssetRef& FontSmall();   // "font_kl_normal"
AssetRef& Background();  // "Background1"
AssetRef& Gui();         // "GUI": buttons, screens and HUD pictures

// The picture reference of animation record id (1..140); null outside. The
// records AII_GUIButton, AII_GUIButtonShort, AII_LevelWon, AII_CountDown and
// AII_NoGas (129, 130, 131, 133, 134) share &Gui(), so renaming one renames
// them all; AII_GameWon (132) has an unnamed one of its own.
AssetRef* AnimationPicture(int id);
// The sound reference of animation record id (1..140), unnamed at start; null
// outside.
AssetRef* AnimationSound(int id);

// The number of references in the set: 281.
int Count();
// Reference i of the set (0..Count()-1, in the order above: the six named
// ones, the 140 sounds, then the 135 pictures of their own); null outside.
AssetRef* At(int i);

}  // namespace AssetNames
