-- The loading screen between a menu and a level: it loads the asset group
-- of the board's mode (assets.xml "levelAssets"); the flow that opened it
-- then goes on to the level.
ReadFile('scripts/common.lua')

-- The asset group of each mode the board plays.
local kModeGroups = { Classic = 1, Strategy = 2, Blitz = 3, Joker = 4, Rome = 5 }

-- Everything is loaded. The menu's flow (which set gLevelLoaded) takes the
-- screen away itself as it builds the board; opened on its own, it closes.
function gfn_OnLoaderComplete()
    if gLevelLoaded == false then
        gLevelLoaded = true
    else
        CloseWindow('loaded')
    end
end

MakeDialog {
    wndLoading { name = 'wndLoading', x = 0, y = 0, w = 1024, h = 768,
                 levelId = kModeGroups[gGameMode] or 0 },
}
