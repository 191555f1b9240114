// The recipes of every sound effect of the game. Each returns a finished mono
// buffer of its fixed length, not yet levelled (Sounds.cpp levels them).
#pragma once

#include "tools/assetgen/sound/Synth.h"

namespace sound {

constexpr int kEffectRate = 22050;
constexpr int kJingleRate = 44100;

// The petrol saw.
Mono SawStart();     // quick cord pull, the engine catches and revs up
Mono SawRunning();   // seamless loop: the engine at cutting speed
Mono SawRevDown();   // the engine falls back to idle
Mono SawThreaten();  // seamless loop: the engine revved in bursts
Mono SawRevUp();     // the throttle opens
Mono SawOutOfGas();  // splutters, coughs and dies

// Furniture materials, one set each: section cuts (bigger as the section
// number grows; 4 is the piece falling apart), the nail lock giving way, and
// the seamless loop of the chain biting into the material.
enum class Material { LightWood, HeavyWood, Upholstery, Piano, Clock };
Mono Cut(Material m, int section);  // section 1..4; 4 is the piece falling apart
Mono LockBreaks(Material m);
Mono Bite(Material m);

// Footsteps. Walkers: 0 player, 1 wife (heels), 2 removal man (boots),
// 3 policeman, 4 lawyer. `foot` 1 is a shade lower than 0; `hard` for the
// angry walk and the flight.
Mono Footstep(int walker, int foot, bool hard);

// Figures and their business.
Mono PoliceWhistle();
Mono Brawl();
Mono KnockedOut();
Mono HammerBlow();
Mono NailBoxRattle();
Mono Leaflet();
Mono SadTrombone();
Mono CanisterOpen();
Mono GasGlugs();  // seamless loop
Mono CanisterClose();

// Menus and game flow.
Mono ButtonHover();
Mono ButtonClick();
Mono CountdownBeep();
Mono ExtraLife();
Mono BonusTime();
Mono BonusSpeed();
Mono BonusPoints();
Mono BonusSawPower();
Mono DustPoof();
Mono LevelWonFanfare();
Mono GameWonFanfare();

}  // namespace sound
