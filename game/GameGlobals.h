// The game's global records: the screen state and the values several parts of
// the game share (GameGlobals), the values of the running level (LevelState),
// and the platform and library the whole game half works with.
#pragma once

#include "platform/PlatformServices.h"

class AssetLibrary;

// Screen states; the numbers are fixed because the state machine, the frame
// composition and the debug keys dispatch on them.
enum ScreenState : i32 {
    LevelStart = 1,     // the level is being set up; nothing is drawn
    GetReady = 2,       // the level shown still, with its title
    Playing = 3,        // the level runs
    LevelWon = 4,       // all furniture sawn; bonus screen
    GameOver = 5,       // the last life is lost
    MainMenu = 6,       // title menu
    HighScoreEntry = 7, // typing a name for the high-score table
    HighScoreTable = 8,
    Options = 9,           // sound-effect and music switches
    StartLevelSelect = 10, // the level a new game starts at
    Paused = 11,           // pause menu over the frozen level
    HelpPages = 12,
    GameWon = 13,   // the last level is won
    LifeLost = 14,  // a life is lost; the level is played again
};

struct GameGlobals {
    i32 screenState = MainMenu;
    i32 stateTimer = 5;  // ms; while 0 the state machine does nothing
    i32 levelNumber = 1;
    i32 lives = 2;  // spare lives
    i32 score = 0;
    bool quitRequested = false;
    i32 timeLeft = 0;    // seconds
    i32 clockBudget = 0; // timeLeft when the level clock was (re)started
    u32 clockStart = 0;  // platform time of that (re)start
    ScreenRect screenRect = {0, 0, 0, 0};
    i32 screenWidth = 0;
    i32 libraryBytes = 0;
    i32 currentMusic = 0;  // -1 none (music off), 0 none, 1 in-game, 2 menu
    bool soundEffectsOn = true;
    bool musicOn = true;
    bool showFps = false;
    bool lifeCheat = false;
    bool slowMotion = false;
    i32 fps = 0;
    u32 fpsWindowStart = 0;
    u32 lastFrameTime = 0;
    i32 framesInWindow = 0;
    bool cursorShownOnce = false;
    i32 helpPage = 0;
    float curtain = 0.0f;      // 0 none, 0..1 covering, 2.0 fully covered and held
    i32 curtainDirection = 1;  // +1 closing, -1 opening
    bool timeUpHandled = false;
};

// Values of the running level: set by the level files, the level start and
// the level rules.
struct LevelState {
    i32 playfieldWidth = 3;  // VIRTUALPLAYFIELDWIDTH, screen widths; never below 1
    float scrollFactor[4] = {0.0f, 0.01f, 0.006f, 0.0004f};  // SCROLLSPEED k = 1..3
    float playfieldPos = 0.0f;  // left edge of the view, not wrapped
    float middlePos = 0.0f;     // middle background layer, not wrapped
    float scrollSpeed = 0.0f;
    float bonusTimer[5] = {};   // per bonus type 1..4 (0 unused)
    i32 bonusPayout[5] = {};
    float playerSpeedFactor = 1.0f;
    float sawFactor = 1.0f;
    i32 extraLifeScore[4] = {};  // NEWLIFESCORE1..3 at [1..3]
    i32 timeBonusPerSecond = 1;  // BONUS
    i32 lawyerPenalty = 5;       // LAWYERMALUS, seconds
    i32 startGas = 100;          // STARTGAS, percent
    float refillSpeed = 1.0f;    // REFILLSPEED
    float consumption[3] = {0.0001f, 0.001f, 0.01f};  // CONSUMPTION: other, sawing, threatening
    i32 backgroundSet = 0;       // SETGFX 0..2
    bool outOfGas = false;
    i32 lastCountdownBeep = -1;
    i32 streakObject = -1;
    bool streakUnbroken = false;
    bool escapeLatch = false;
    bool libraryTouched = false;
    i32 leafletCounter = 0;  // lawyers handing the player a leaflet right now
};

extern GameGlobals gGame;
extern LevelState gLevel;
extern PlatformServices* gPlatform;  // kept from GameInit for the whole run
extern AssetLibrary* gLibrary;       // null while no library is open
