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

local function AchievementPanels()
    return {}
end

---------------------------------------------------------------------------
-- The bottom panel: level, scores, goal, time bar or clock, avatar.

-- The code draws the bar along the bottom, the column on the left, the
-- time bar (its fill starts at x 290.5), the goal bar (grown up from
-- (127, 523)), the spark and the avatar; the children below lie over them.

local kHudFont = { 'loc/en/font/helsinki.mvec', 20, { 1, 0.93, 0.78, 1 } }
local kHudNumberFont = { 'loc/en/font/helsinki.mvec', 28, { 1, 0.84, 0.25, 1 } }
local kGoalFont = { 'loc/en/font/helsinki.mvec', 40, { 1, 1, 1, 1 } }
local kTaskFont = { 'loc/en/font/helsinki.mvec', 24, { 0.17, 0.16, 0.2, 1 } }
local kRight = kHAlignRight + kVAlignCenter
local kLeft = kHAlignLeft + kVAlignCenter

local function BottomPanel()
    local function Number(name, x, y, w, h, font)
        return Text { name = name, x = x, y = y, w = w, h = h, flags = kCentered,
                      font = font or kHudNumberFont }
    end
    local function ModeIcon(name, image)
        return Bitmap { name = name, image = image, x = 188, y = 28 }
    end
    return btmCorvalo {
        name = 'btmCorvalo', x = 0, y = 0, w = 1024, h = 768,
        avatar_boy = { x = 62, y = 588 }, avatar_girl = { x = 62, y = 588 },
        avatar_dog = { x = 62, y = 588 }, avatar_cat = { x = 62, y = 588 },
        -- The task icon takes the goal count's place in its badge.
        icon_x = 122, icon_y = 135,

        -- The column: the quest task's note (shown instead of the goal
        -- bar), the goal, the goal bar's tube, the best combo or round.
        Bitmap { name = 'gpxGoalOriented', image = 'gpx/hud/goaloriented.png', x = 12, y = 22,
                 Text { name = 'lblGoalOriented', x = 24, y = 196, w = 182, h = 300,
                        flags = kHAlignCenter + kVAlignTop, font = kTaskFont } },
        Label('lblGoalText', 'hud_goal', 62, 30, 120, 34, kHudFont),
        Number('lblGoal', 82, 105, 80, 60, kGoalFont),
        Bitmap { name = 'lblGoalBar', image = 'gpx/hud/goalbar_tube.png', x = 103, y = 211 },
        Label('lblBestCombo', 'hud_best_combo', 36, 550, 118, 36, kHudFont, kLeft),
        Number('txtBestCombo', 150, 550, 68, 36),
        ModeIcon('gpxClassic', 'gpx/hud/mode_classic.png'),
        ModeIcon('gpxStrategy', 'gpx/hud/mode_strategy.png'),
        ModeIcon('gpxBlitz', 'gpx/hud/mode_blitz.png'),
        ModeIcon('gpxJoker', 'gpx/hud/mode_joker.png'),
        ModeIcon('gpxRome', 'gpx/hud/mode_rome.png'),

        -- The bar: level, new row or clock, the time bar's rim, scores.
        Label('lblLevelText', 'lblLevel', 18, 716, 80, 46, kHudFont, kRight),
        Number('lblLevel', 100, 716, 72, 46),
        Button { name = 'btnNewRow', x = 184, y = 717,
                 graphics = { 'gpx/hud/newrow_button_off.png', 'gpx/hud/newrow_button_on.png',
                              'gpx/hud/newrow_button_off_over.png' },
                 command = function() gfn_onNewRow() end },
        Bitmap { name = 'gpxNewRow', image = 'gpx/hud/newrow.png', x = 192, y = 726 },
        Label('txtNewRow', 'hud_new_row', 220, 717, 54, 42, kHudFont),
        Bitmap { name = 'gpxClock', image = 'gpx/hud/clock.png', x = 188, y = 723 },
        Number('txtClock', 220, 716, 58, 46),
        Bitmap { name = 'bmpLayoutBarTime', image = 'gpx/hud/timebar_rim.png', x = 280, y = 723 },
        Label('lblScoreText', 'hud_score', 710, 716, 62, 46, kHudFont, kLeft),
        Number('lblScore', 772, 716, 84, 46),
        Label('lblTotalText', 'hud_total', 868, 716, 58, 46, kHudFont, kLeft),
        Number('lblTotalScore', 926, 716, 88, 46),
    }
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
