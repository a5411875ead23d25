-- The first screen until the main menu is built: who is playing. It shows
-- the current player and makes, renames, changes and deletes players; it
-- opens the options, starts a quick game and asks before the game ends.

ReadFile('scripts/common.lua')

local function CurrentName()
    return qvd_getCurrentUserString('vlkName', '')
end

-- The current player's place in the list, found by name (names are kept
-- apart by the name dialog).
local function CurrentIndex()
    local name = CurrentName()
    for i = 0, qvd_getNumUsers() - 1 do
        qvd_setCurrentUser(i)
        if qvd_getCurrentUserString('vlkName', '') == name then
            return i
        end
    end
    return 0
end

-- A player's name as a label shows it: markup characters escaped.
local function Shown(name)
    return (string.gsub(name, '([\\<])', '\\%1'))
end

-- Shows the current player and the buttons that apply.
function PlayersRefresh()
    local count = qvd_getNumUsers()
    if count == 0 then
        SetLabel('lblPlayer', GetString('players_none'))
    else
        SetLabel('lblPlayer', Shown(CurrentName()))
    end
    SetLabel('lblCount', GetString('players_count', count))
    EnableWindow('btnRename', count > 0)
    EnableWindow('btnNext', count > 1)
    EnableWindow('btnDelete', count > 0)
end

local function AskName(mode)
    gPlayerNameMode = mode
    DoModal('scripts/player_name.lua')
    PlayersRefresh()
end

local function NextPlayer()
    local count = qvd_getNumUsers()
    if count > 1 then
        local following = CurrentIndex() + 1
        if following >= count then
            following = 0
        end
        qvd_setCurrentUser(following)
    end
    PlayersRefresh()
end

-- A quick game of Classic on the easy board.
local function Play()
    gGameMode = 'Classic'
    gGameStyle = 'quick'
    gGameDifficulty = 'easy'
    DoModal('scripts/loading.lua')
    DoModal('scripts/game.lua')
    PlayersRefresh()
end

-- The quest: the world map, and the level of each node pressed there
-- (worldmap.lua's closeMetamap sets the game and asks for it), until the
-- map is left with Back.
local function Quest()
    repeat
        gMetamapPlay = false
        DoModal('scripts/worldmap.lua')
        if gMetamapPlay then
            DoModal('scripts/loading.lua')
            DoModal('scripts/game.lua')
        end
    until not gMetamapPlay
    PlayersRefresh()
end

local function DeletePlayer()
    if qvd_getNumUsers() > 0 then
        qvd_deleteUser(CurrentIndex())
    end
    PlayersRefresh()
end

MakeDialog {
    Bitmap { name = 'bmpBackground', image = 'gpx/menu/background.jpg', x = 0, y = 0 },
    Bitmap { name = 'bmpPanel', image = 'gpx/ui/panel_600x400.png', x = 212, y = 150 },
    Label('lblTitle', 'players_title', 232, 170, 560, 50, kTitleFont),
    Label('lblPlayer', '#', 232, 240, 560, 50,
          { 'loc/en/font/helsinki.mvec', 40, { 0.55, 0.20, 0.35, 1 } }),
    Label('lblCount', '#', 232, 295, 560, 30),
    LabelledButton('btnNew', 'players_new', 252, 350, false, { command = function() AskName('new') end }),
    LabelledButton('btnRename', 'players_rename', 432, 350, false,
                   { command = function() AskName('rename') end }),
    LabelledButton('btnNext', 'players_next', 612, 350, false, { command = NextPlayer }),
    LabelledButton('btnDelete', 'players_delete', 432, 420, false, { command = DeletePlayer }),
    LabelledButton('btnQuest', 'players_quest', 272, 476, true, { command = Quest }),
    LabelledButton('btnPlay', 'players_play', 512, 476, true, { command = Play }),
    LabelledButton('btnOptions', 'players_options', 272, 590, true,
                   { command = function() DoModal('scripts/options.lua') end }),
    LabelledButton('btnQuit', 'players_quit', 512, 590, true,
                   { command = function() DoModal('scripts/quit_verify.lua') end }),
}

PlayersRefresh()
