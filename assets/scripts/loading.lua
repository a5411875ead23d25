-- The loading screen between a menu and a level: it loads the asset group
-- of the board's mode (assets.xml "levelAssets") and then closes; the
-- flow that opened it goes on to the level.
ReadFile('scripts/common.lua')

-- The asset group of each mode the board plays.
local kModeGroups = { Classic = 1, Strategy = 2, Blitz = 3, Joker = 4, Rome = 5 }

-- Everything is loaded.
function gfn_OnLoaderComplete()
    CloseWindow('loaded')
end

MakeDialog {
    wndLoading { name = 'wndLoading', x = 0, y = 0, w = 1024, h = 768,
                 levelId = kModeGroups[gGameMode] or 0 },
}
