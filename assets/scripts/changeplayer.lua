-- Who is playing: a row per player (the window "wndChangePlayer" fills the
-- names through UpdatePlayerChoices and colours them), a new player, the
-- chosen player deleted after a question, OK to play as the chosen one.

ReadFile('scripts/common.lua')

local kRowX, kRowY, kRowStep = 322, 190, 62
local kRowFont = { 'loc/en/font/helsinki.mvec', 26, { 0.25, 0.01, 0.23, 1 } }

-- The list's names: the rows of the players shown, the others hidden; the
-- current player's row highlighted and chosen.
function UpdatePlayerChoices(current, count, names)
    for i = 1, gMaximumNumberOfPlayers do
        local name = names[i]
        EnableWindow('btnUser' .. i, name ~= nil)
        if name then
            SetLabel('lblUser' .. i, ShownName(name))
        end
    end
    if names[current + 1] then
        gv_Current_Player = current + 1
        SetButtonToggleState('btnUser' .. gv_Current_Player, true)
    else
        gv_Current_Player = 0
    end
    EnableWindow('btnNew', count < gMaximumNumberOfPlayers)
    EnableWindow('btnDelete', count > 0)
end

local function Row(i)
    return Button { name = 'btnUser' .. i, type = kRadio, x = kRowX, y = kRowY + (i - 1) * kRowStep,
                    graphics = { 'gpx/players/row_off.png', 'gpx/players/row_on.png',
                                 'gpx/players/row_off_over.png', 'gpx/players/row_on_over.png' },
                    command = function() gv_Current_Player = i end,
                    Text { name = 'lblUser' .. i, label = '#', x = 16, y = 2, w = 348, h = 46,
                           flags = kLeft, font = kRowFont } }
end

local function NewPlayer()
    DoModal('scripts/register.lua')
    gfn_setPlayerChoices()
end

local function DeletePlayer()
    local index = gfn_getCurrentSelectedUser()
    local name = gfn_getSelectedPlayerName()
    gConfirmText = GetString('players_delete_question', ShownName(name))
    if DoModal('scripts/confirm.lua') ~= 'yes' then
        return
    end
    qvd_deleteUser(index)
    -- There is always someone to play.
    while qvd_getNumUsers() == 0 do
        DoModal('scripts/register.lua')
    end
    gfn_setPlayerChoices()
end

local function PlayAsChosen()
    gfn_updateSelectedPlayerName(gfn_getCurrentSelectedUser())
    ReloadUserData()
    if gfn_updateData then
        gfn_updateData()
    end
    CloseWindow('ok')
end

local rows = {}
for i = 1, gMaximumNumberOfPlayers do
    rows[i] = Row(i)
end

MakeDialog {
    Veil(),
    Bitmap { name = 'bmpPanel', image = 'gpx/register/panel.png', x = 112, y = 84 },
    Label('lblTitle', 'players_title', 132, 96, 760, 50, kTitleFont),
    wndChangePlayer {
        name = 'playerList', x = 0, y = 0, w = 1024, h = 768,
        unpack(rows),
    },
    LabelledButton('btnNew', 'players_new', 192, 560, false, { command = NewPlayer }),
    LabelledButton('btnDelete', 'players_delete', 362, 560, false, { command = DeletePlayer }),
    LabelledButton('btnOk', 'common_ok', 532, 560, false, { default = true, command = PlayAsChosen }),
    LabelledButton('btnCancel', 'common_cancel', 702, 560, false, { cancel = true, close = true }),
}
