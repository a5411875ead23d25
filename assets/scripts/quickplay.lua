-- Quick play: a panel per mode with its easy, medium and hard buttons (the
-- window "wndQuickPlay" locks what the player has not opened yet and shows
-- the best score over the difficulty under the pointer), and Back. A
-- difficulty notes the game and lets the curtain fall; closeQuickPlay then
-- hands the choice to the menu, which starts the game.

ReadFile('scripts/common.lua')

function DisableAllButtons()
    BlockInput(true)
end

function EnableAllButtons()
    BlockInput(false)
end

function closeQuickPlay()
    ModalReturn('play')
    CloseWindow()
end

local kModes = {
    { panel = 'PanelClassic', mode = 'Classic', label = 'quick_classic' },
    { panel = 'PanelBlitz', mode = 'Blitz', label = 'quick_blitz' },
    { panel = 'PanelStrategy', mode = 'Strategy', label = 'quick_strategy' },
    { panel = 'PanelCradleRome', mode = 'Rome', label = 'quick_rome' },
    { panel = 'PanelJoker', mode = 'Joker', label = 'quick_joker' },
}
local kDifficulties = {
    { name = 'easy', label = 'quick_easy',
      graphics = { 'gpx/quick/easy_off.png', 'gpx/quick/easy_on.png',
                   'gpx/quick/easy_off_over.png' } },
    { name = 'medium', label = 'quick_medium',
      graphics = { 'gpx/quick/medium_off.png', 'gpx/quick/medium_on.png',
                   'gpx/quick/medium_off_over.png' } },
    { name = 'hard', label = 'quick_hard',
      graphics = { 'gpx/quick/hard_off.png', 'gpx/quick/hard_on.png',
                   'gpx/quick/hard_off_over.png' } },
}
local kPanelX, kPanelStep, kPanelY = 22, 200, 196
local kButtonX, kButtonY, kButtonStep = 17, 90, 78
local kModeFont = { 'loc/en/font/helsinki.mvec', 28, { 1, 1, 1, 1 } }
local kTipFont = { 'loc/en/font/helsinki.mvec', 18, { 0.35, 0.12, 0.32, 1 } }
local kScoreFont = { 'loc/en/font/helsinki.mvec', 26, { 0.20, 0.16, 0.30, 1 } }

local function Play(mode, difficulty)
    return function()
        gGameMode = mode
        gGameDifficulty = difficulty
        gGameStyle = 'quick'
        gfn_onQuickPlayButton_Play()
    end
end

local function Panel(index, entry)
    local t = { name = entry.panel, x = kPanelX + (index - 1) * kPanelStep, y = kPanelY,
                w = 184, h = 330, st_easy = 1,
                Bitmap { name = 'bmpPanel', image = 'gpx/quick/panel.png', x = 0, y = 0 },
                Label('lblMode', entry.label, 16, 14, 152, 46, kModeFont) }
    for d, difficulty in ipairs(kDifficulties) do
        local y = kButtonY + (d - 1) * kButtonStep
        table.insert(t, Bitmap { name = 'bmpDifficulty' .. d .. '_lock1',
                                 image = 'gpx/quick/lock.png', x = kButtonX, y = y })
        table.insert(t, Button { name = 'btnDifficulty' .. d, x = kButtonX, y = y,
                                 graphics = difficulty.graphics,
                                 command = Play(entry.mode, difficulty.name),
                                 Text { name = 'label', label = difficulty.label, x = 0, y = 0,
                                        w = 150, h = 50, flags = kCentered, font = kButtonFont } })
    end
    return clsPanelModeGame(t)
end

-- The tip stands over each difficulty button, in the order of the tip's
-- numbers: three per mode, the modes in screen order.
local tips = {}
for m = 1, table.getn(kModes) do
    for d = 1, 3 do
        table.insert(tips, kPanelX + (m - 1) * kPanelStep + kButtonX - 10)
        table.insert(tips, kPanelY + kButtonY + (d - 1) * kButtonStep - 68)
    end
end

local screen = {
    name = 'quickplay', x = 0, y = 0, w = 1024, h = 768, ToolTip_Position = tips,
    Label('lblTitle', 'quick_title', 262, 90, 500, 70,
          { 'loc/en/font/helsinki.mvec', 52, { 1, 0.95, 0.82, 1 } }),
}
for m, entry in ipairs(kModes) do
    table.insert(screen, Panel(m, entry))
end
table.insert(screen, Window { name = 'gpxToolTip', x = 0, y = 0, w = 170, h = 70,
    Bitmap { name = 'bmpTip', image = 'gpx/quick/tip.png', x = 0, y = 0 },
    Label('lblBest', 'quick_best', 0, 4, 170, 24, kTipFont),
    Label('txtScore', '#0', 0, 26, 170, 28, kScoreFont) })

MakeDialog {
    Bitmap { name = 'bmpBackground', image = 'gpx/menu/background.jpg', x = 0, y = 0 },
    wndQuickPlay(screen),
    LabelledButton('btnBack', 'common_back', 40, 690, false,
                   { command = function() gfn_onQuickPlayButton_Back() end }),
    Blocker(),
}
