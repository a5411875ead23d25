-- The board screen: the background, the board screen window with the
-- board, its frames, hearts, achievement panels and the two panels in it,
-- the pause button and the input blocker; and the functions that the board
-- screen and its panels run.

ReadFile('scripts/common.lua')

---------------------------------------------------------------------------
-- The screen's functions.

-- The buttons of the screen are shut while the curtains move.
function DisableAllButtons()
end

function EnableAllButtons()
end

-- The quick-play background: the place (0 to 4) and the light (0 to 3).
function selectBackground(background, shade)
end

-- Which board frame shows: 1 the small board, 2 the middle one, 3 the large.
function selectSize(size)
end

-- The hearts: how many lives are left.
function selectLifes(lives)
end

function showAlphaBackground(show)
end

function ShowLevelInstructions()
end

-- The closing curtains have closed: the screen ends.
function closeCorvalo()
    CloseWindow('closed')
end

---------------------------------------------------------------------------
-- The board frames, one per board size.

local function BoardFrames()
    return {}
end

---------------------------------------------------------------------------
-- The three hearts.

local function Hearts()
    return {}
end

---------------------------------------------------------------------------
-- The five achievement panels, each with its icon and text.

-- The board screen hides them at start and moves each one where its
-- scene's "panel" goes; the icon and the text are set when one is earned.
local kAchieveFont = { 'loc/en/font/helsinki.mvec', 20, { 0.17, 0.16, 0.20, 1 } }

local function AchievementPanels()
    local panels = {}
    for i = 0, 4 do
        panels[i + 1] = Bitmap {
            name = 'bmpAchievePanel' .. i, image = 'gpx/board/achieve_panel.png',
            x = 1040, y = 150 + 88 * i,
            Bitmap { name = 'bmpIcon', image = 'gpx/board/achieve/game_01.png',
                     x = 8, y = 8 },
            Text { name = 'lblText', x = 80, y = 8, w = 228, h = 64,
                   flags = kHAlignLeft + kVAlignCenter, font = kAchieveFont },
        }
    end
    return panels
end

---------------------------------------------------------------------------
-- The bottom panel: level, scores, goal, time bar or clock, avatar.

local function BottomPanel()
    return btmCorvalo { name = 'btmCorvalo', x = 0, y = 0, w = 1024, h = 768 }
end

---------------------------------------------------------------------------
-- The top panel: the score card and the rising bonus texts.

local function TopPanel()
    return topCorvalo { name = 'topCorvalo', x = 0, y = 0, w = 1024, h = 768 }
end

---------------------------------------------------------------------------
-- The screen.

local function Append(list, items)
    for _, item in ipairs(items) do
        list[table.getn(list) + 1] = item
    end
end

local board = { name = 'wndCorvalo', x = 0, y = 0, w = 1024, h = 768 }
Append(board, BoardFrames())
Append(board, Hearts())
Append(board, AchievementPanels())
Append(board, {
    guiCorvalo { name = 'guiCorvalo', x = 0, y = 0, w = 1024, h = 768 },
    BottomPanel(),
    TopPanel(),
})

MakeDialog {
    Bitmap { name = 'bmpBackground', image = 'gpx/menu/background.jpg', x = 0, y = 0 },
    wndCorvalo(board),
}
