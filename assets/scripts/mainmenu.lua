-- The main menu, built into the screen by ShowMainMenu (main.lua): the
-- title, the player's name and figure, a button per screen. A button
-- notes where it leads and lets the curtain fall; when it has fallen the
-- menu runs closeMainMenu, which opens that screen and builds the menu
-- again when it returns. A player's first visit plays the intro.

ReadFile('scripts/common.lua')

function DisableAllButtons()
    BlockInput(true)
end

function EnableAllButtons()
    BlockInput(false)
end

-- A game from a choosing screen (the quick-play screen or the world map)
-- until the player goes back: each game the screen starts (its assets
-- loaded first), then the screen again. A game left for the menu (pause's
-- Main menu sets gQuitToMenu) ends it all.
-- The level's assets load behind the loading screen's curtain; once they
-- are, the loading screen goes and the board is built in one step, so
-- that no frame shows the menu while the board is being made. What the
-- board's screen returns, or nil when the loading screen was closed some
-- other way.
local function LoadAndPlay()
    gLevelLoaded = false
    local loading = PushModal('scripts/loading.lua')
    ReadFile('scripts/loading.lua')
    DoFitToChildren()
    while not gLevelLoaded do
        local m = WaitForMessage()
        if m and m.type == kModalClosed then
            if m.name == loading then
                gLevelLoaded = nil
                return nil
            end
            gClosedWindows[m.name] = true
        end
    end
    gLevelLoaded = nil
    DoPopModal(loading)
    return DoModal('scripts/game.lua')
end

local function PlayFrom(chooser)
    gQuitToMenu = nil
    while DoModal(chooser) == 'play' and not gQuitToMenu do
        if LoadAndPlay() ~= 'closed' or gQuitToMenu then
            break
        end
    end
    gQuitToMenu = nil
end

local function Open(script)
    return function() DoModal(script) end
end

local kTargets = {
    quest = function() PlayFrom('scripts/worldmap.lua') end,
    quick = function() PlayFrom('scripts/quickplay.lua') end,
    players = Open('scripts/changeplayer.lua'),
    options = Open('scripts/options.lua'),
    achievements = Open('scripts/achievement.lua'),
    instructions = Open('scripts/instructions.lua'),
    credits = Open('scripts/credits.lua'),
    moregames = Open('scripts/xsell.lua'),
    quit = Open('scripts/quit_verify.lua'),
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
    return 196 + i * 66
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
        LabelledButton('btnAchievements', 'menu_achievements', kColumnX, Row(4), true,
                       { command = Leave('achievements') }),
        LabelledButton('btnInstructions', 'menu_instructions', kColumnX, Row(5), true,
                       { command = Leave('instructions') }),
        LabelledButton('btnCredits', 'menu_credits', kColumnX, Row(6), true,
                       { command = Leave('credits') }),
        LabelledButton('btnQuit', 'menu_quit', kColumnX, Row(7), true, { command = Leave('quit') }),
        LabelledButton('btnMoreGames', 'menu_more_games', 20, 700, false,
                       { command = Leave('moregames') }),
        LabelledButton('btnCommunity', 'menu_community', 844, 700, false,
                       { command = function() gfn_post() end }),
        Blocker(),
    },
}

-- A player's first visit: a word of welcome, once, and the intro over the
-- menu (ShowMainMenu opens it once this file has run).
if gfn_isPlayerFirstTime() then
    SetLabel('lblWelcome', GetString('menu_welcome', ShownName(qvd_getCurrentUserString('vlkName', ''))))
    gfn_clearPlayerFirstTime()
    gIntroDue = true
end
