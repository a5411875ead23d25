-- The board screen: the background, the board screen window with the
-- board, its frames, hearts, achievement panels and the two panels in it,
-- the pause button and the input blocker; and the functions that the board
-- screen and its panels run.

ReadFile('scripts/common.lua')

-- A new game: a hosting page learns its mode and that it starts at level 1.
SetState(kGameMode, gGameMode or '')
SetState(kLevel, 1)

-- The total score as the bottom panel shows it, for a hosting page.
function ReportScore()
    local total = tonumber(GetLabel('lblTotalScore'))
    if total then
        SetState(kScore, total)
    end
end

---------------------------------------------------------------------------
-- The screen's functions.

-- The buttons of the screen are shut while the curtains move: the input
-- blocker, laid last over the whole screen, takes every click. It starts
-- shown, as the first call comes before it exists.
function DisableAllButtons()
    EnableWindow('btnBlocker', true)
end

function EnableAllButtons()
    EnableWindow('btnBlocker', false)
end

local kPlaces = { 'forest', 'mountain', 'city', 'beach', 'space' }
local kLights = { 'morning', 'noon', 'afternoon', 'night' }

-- The quick-play background: the place (0 to 4) and the light (0 to 3).
function selectBackground(background, shade)
    local place = kPlaces[(tonumber(background) or -1) + 1]
    local light = kLights[(tonumber(shade) or -1) + 1]
    if not place or not light then
        DebugOut('game.lua: no background ' .. tostring(background) .. ', ' .. tostring(shade))
        return
    end
    SetBitmap('bmpBackground', 'gpx/backgrounds/' .. place .. '_' .. light .. '.jpg')
end

-- Which board frame shows: 1 the small board, 2 the middle one, 3 the large.
function selectSize(size)
    if not kBoardFrames[tonumber(size) or 0] then
        DebugOut('game.lua: no board frame ' .. tostring(size))
    end
    for i, frame in ipairs(kBoardFrames) do
        EnableWindow(frame.name, i == size)
    end
end

-- The hearts: how many lives are left.
function selectLifes(lives)
    for i = 1, 3 do
        EnableWindow('bmpHeart' .. i, i <= (tonumber(lives) or 0))
    end
end

-- The dark veil under the score card.
function showAlphaBackground(show)
    EnableWindow('bmpAlphaBackground', show and true or false)
end

-- A lost level: the pop-up tells the lives left; once it is closed the
-- game books the loss (the board is the top window again by then).
function ShowLoseLife(lives)
    gLifeCount = tonumber(lives) or 0
    DoModal('scripts/lose_life.lua')
    if gLifeCount == 0 then
        ReportScore()
        SetState(kGameOver, 1)
    end
    onEndLevel()
end

-- A quest level opens on its mode's instructions until they were seen.
function ShowLevelInstructions()
    if gfn_isShownInstruction and gfn_isShownInstruction(gGameMode) == 1 then
        DoModal('scripts/instruction_level.lua')
    end
end

-- The reward (1 wild, 2 bomb, 3 sidewinder, 4 showtime, 5 freeze) and the
-- goal of a quest node, for the pop-ups that the board opens next.
function setReward(reward)
    gReward = reward
end

function setGoalPanel(goal)
    gGoalPanel = goal
end

-- The closing curtains have closed: the screen ends.
function closeCorvalo()
    CloseWindow('closed')
end

---------------------------------------------------------------------------
-- The board frames, one per board size.

-- The build writes kBoardFrames from the board windows of config.xml, and
-- draws each frame picture round its board.
ReadFile('scripts/board_frames.lua')

local function BoardFrames()
    local frames = {}
    for _, frame in ipairs(kBoardFrames) do
        frames[table.getn(frames) + 1] =
            -- align = 0: the large board's frame starts above the screen's
            -- top, and a negative place would otherwise count from the
            -- bottom.
            Bitmap { name = frame.name, image = frame.image, alpha = true, x = frame.x, y = frame.y,
                     align = 0 }
    end
    return frames
end

---------------------------------------------------------------------------
-- The three hearts.

local function Hearts()
    local hearts = {}
    for i = 1, 3 do
        hearts[i] = Bitmap { name = 'bmpHeart' .. i, image = 'gpx/board/heart.png', alpha = true,
                             x = 24 + (i - 1) * 50, y = 76 }
    end
    return hearts
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

-- The code draws the bar along the bottom, the column on the left, the
-- time bar (its fill starts at x 290.5), the goal bar (grown up from
-- (127, 523)), the spark and the avatar; the children below lie over them.

local kHudFont = { 'loc/en/font/helsinki.mvec', 20, { 1, 0.93, 0.78, 1 } }
local kHudNumberFont = { 'loc/en/font/helsinki.mvec', 28, { 1, 0.84, 0.25, 1 } }
local kHudSmallNumberFont = { 'loc/en/font/helsinki.mvec', 22, { 1, 0.84, 0.25, 1 } }
local kGoalFont = { 'loc/en/font/helsinki.mvec', 34, { 1, 1, 1, 1 } }
local kTaskFont = { 'loc/en/font/helsinki.mvec', 24, { 0.17, 0.16, 0.2, 1 } }
local kRight = kHAlignRight + kVAlignCenter
local kLeft = kHAlignLeft + kVAlignCenter

local function BottomPanel()
    local function Number(name, x, y, w, h, font)
        return Text { name = name, x = x, y = y, w = w, h = h, flags = kCentered,
                      font = font or kHudNumberFont }
    end
    local function ModeIcon(name, image)
        return Bitmap { name = name, image = image, alpha = true, x = 188, y = 28 }
    end
    return btmCorvalo {
        name = 'btmCorvalo', x = 0, y = 0, w = 1024, h = 768,
        -- The avatars (150 x 170, by their top-left corner) at the column's foot.
        avatar_boy = { x = 52, y = 532 }, avatar_girl = { x = 52, y = 532 },
        avatar_dog = { x = 52, y = 532 }, avatar_cat = { x = 52, y = 532 },
        -- The task icon takes the goal count's place under the hearts.
        icon_x = 122, icon_y = 143,

        -- The column: the quest task's note (shown instead of the goal
        -- bar), the goal, the goal bar's tube, the best combo or round.
        Bitmap { name = 'gpxGoalOriented', image = 'gpx/hud/goaloriented.png', alpha = true,
                 x = 12, y = 22,
                 Text { name = 'lblGoalOriented', x = 16, y = 212, w = 198, h = 280,
                        flags = kHAlignCenter + kVAlignTop, font = kTaskFont } },
        Label('lblGoalText', 'hud_goal', 26, 124, 70, 38, kHudFont, kLeft),
        Number('lblGoal', 92, 122, 60, 42, kGoalFont),
        Bitmap { name = 'lblGoalBar', image = 'gpx/hud/goalbar_tube.png', alpha = true,
                 x = 103, y = 251 },
        Label('lblBestCombo', 'hud_best_combo', 36, 171, 118, 36, kHudFont, kLeft),
        -- Joker shows its round here as "3 / 7": a smaller face fits it.
        Number('txtBestCombo', 140, 171, 80, 36, kHudSmallNumberFont),
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
        Bitmap { name = 'gpxNewRow', image = 'gpx/hud/newrow.png', alpha = true, x = 192, y = 726 },
        Label('txtNewRow', 'hud_new_row', 220, 717, 54, 42, kHudFont),
        Bitmap { name = 'gpxClock', image = 'gpx/hud/clock.png', alpha = true, x = 188, y = 723 },
        -- Up to "10:00" in the smaller face.
        Number('txtClock', 218, 716, 62, 46, kHudSmallNumberFont),
        Bitmap { name = 'bmpLayoutBarTime', image = 'gpx/hud/timebar_rim.png', alpha = true,
                 x = 280, y = 723 },
        Label('lblScoreText', 'hud_score', 710, 716, 62, 46, kHudFont, kLeft),
        Number('lblScore', 772, 716, 84, 46),
        Label('lblTotalText', 'hud_total', 868, 716, 58, 46, kHudFont, kLeft),
        Number('lblTotalScore', 926, 716, 88, 46),
    }
end

---------------------------------------------------------------------------
-- The top panel: the score card and the rising bonus texts.

-- Two windows: the veil that showAlphaBackground shows, just below the
-- panel (the call stands last in its list, so both land there).
local function TopPanel()
    return Bitmap { name = 'bmpAlphaBackground', image = 'gpx/ui/panel_black.png', alpha = true,
                    scale = 64, x = 0, y = 0 },
           topCorvalo { name = 'topCorvalo', x = 0, y = 0, w = 1024, h = 768 }
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
    -- The strip under the bottom panel's bars, in every mode (Joker hides
    -- only the time bar's plates, which the panel draws over it).
    Bitmap { name = 'bmpBottomStrip', image = 'gpx/hud/bottomstrip.png', alpha = true,
             x = 8, y = 704 },
    BottomPanel(),
    TopPanel(),
})

MakeDialog {
    Bitmap { name = 'bmpBackground', image = 'gpx/menu/background.jpg', x = 0, y = 0 },
    wndCorvalo(board),
    LabelledButton('btnPause', 'game_pause', 47, 14, false,
                   { command = function() DoModal('scripts/pause.lua') end }),
    -- Graphics-less, over everything: DisableAllButtons shows it.
    Button { name = 'btnBlocker', x = 0, y = 0, w = 1024, h = 768 },
}
