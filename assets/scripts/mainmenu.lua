-- The main menu, built into the screen by ShowMainMenu (main.lua): the
-- title, the player's name and figure, a button per screen. A button
-- notes where it leads and lets the curtain fall; when it has fallen the
-- menu runs closeMainMenu, which opens that screen and builds the menu
-- again when it returns. Screens that are not there yet keep their
-- buttons grey.

ReadFile('scripts/common.lua')

function DisableAllButtons()
    BlockInput(true)
end

function EnableAllButtons()
    BlockInput(false)
end

-- Quick play until the player goes back: each game the screen starts
-- (its assets loaded first), then the screen again. A game left for the
-- menu ends it all.
local function QuickPlay()
    while DoModal('scripts/quickplay.lua') == 'play' do
        DoModal('scripts/loading.lua')
        if DoModal('scripts/game.lua') ~= 'closed' then
            return
        end
    end
end

-- The quest until the player goes back: the world map, the level of the
-- node pressed there (its assets loaded first), then the map again. A game
-- left for the menu ends it all.
local function Quest()
    while DoModal('scripts/worldmap.lua') == 'play' do
        DoModal('scripts/loading.lua')
        if DoModal('scripts/game.lua') ~= 'closed' then
            return
        end
    end
end

local kTargets = {
    quest = Quest,
    quick = QuickPlay,
    players = function() DoModal('scripts/changeplayer.lua') end,
    options = function() DoModal('scripts/options.lua') end,
    quit = function() DoModal('scripts/quit_verify.lua') end,
}

function closeMainMenu()
    local target = kTargets[gMenuTarget or '']
    gMenuTarget = nil
    if target then
        target()
    end
    ShowMainMenu()
end

local function Leave(target)
    return function()
        gMenuTarget = target
        gfn_animClose()
    end
end

local kColumnX = 392
local function Row(i)
    return 196 + i * 70
end

local kFigure = { x = 130, y = 430 }
local kWelcomeFont = { 'loc/en/font/helsinki.mvec', 24, { 1, 0.95, 0.82, 1 } }
local kNameFont = { 'loc/en/font/helsinki.mvec', 26, { 0.35, 0.12, 0.32, 1 } }

MakeDialog {
    wndMainMenu {
        name = 'mainmenu', x = 0, y = 0, w = 1024, h = 768,
        avatar_boy = kFigure, avatar_girl = kFigure, avatar_dog = kFigure, avatar_cat = kFigure,
        Bitmap { name = 'bmpTitle', image = 'gpx/menu/title.png', x = 232, y = 14 },
        Label('lblWelcome', '#', 212, 168, 600, 30, kWelcomeFont),
        Bitmap { name = 'bmpNamePlate', image = 'gpx/menu/name_plate.png', x = 75, y = 612,
                 Label('lblUserName', '#', 10, 4, 240, 40, kNameFont) },
        LabelledButton('btnQuest', 'menu_quest', kColumnX, Row(0), true,
                       { command = Leave('quest') }),
        LabelledButton('btnQuickPlay', 'menu_quick_play', kColumnX, Row(1), true,
                       { command = Leave('quick') }),
        LabelledButton('btnChangePlayer', 'menu_change_player', kColumnX, Row(2), true,
                       { command = Leave('players') }),
        LabelledButton('btnOptions', 'menu_options', kColumnX, Row(3), true,
                       { command = Leave('options') }),
        DisabledButton('btnAchievements', 'menu_achievements', kColumnX, Row(4)),
        DisabledButton('btnCredits', 'menu_credits', kColumnX, Row(5)),
        LabelledButton('btnQuit', 'menu_quit', kColumnX, Row(6), true, { command = Leave('quit') }),
        LabelledButton('btnCommunity', 'menu_community', 844, 700, false,
                       { command = function() gfn_post() end }),
        Blocker(),
    },
}

-- A player's first visit: a word of welcome, once.
if gfn_isPlayerFirstTime() then
    SetLabel('lblWelcome', GetString('menu_welcome', ShownName(qvd_getCurrentUserString('vlkName', ''))))
    gfn_clearPlayerFirstTime()
end
