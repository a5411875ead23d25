-- Asks for a player's name: a new player (gPlayerNameMode 'new') or the
-- current one renamed ('rename'). OK shows only while there is a name.

ReadFile('scripts/common.lua')

local renaming = gPlayerNameMode == 'rename'
local current = qvd_getCurrentUserString('vlkName', '')

function PlayerNameConfirm()
    local name = GetLabel('edtName')
    if name == '' then
        return
    end
    if renaming and name == current then
        CloseWindow('same')
        return
    end
    if qvd_isNameInUse(name) then
        SetLabel('lblHint', GetString('player_name_in_use'))
        return
    end
    if renaming then
        qvd_changeCurrentUserName(name)
    else
        qvd_createNewUser(name)
    end
    CloseWindow('ok')
end

-- Enter in the name field.
function PlayerNameEnter(text)
    PlayerNameConfirm()
end

local editText = renaming and current or GetString('player_name_hint')

MakeDialog {
    Bitmap { name = 'bmpPanel', image = 'gpx/ui/panel_400x300.png', x = 312, y = 234 },
    Label('lblTitle', renaming and 'player_name_rename' or 'player_name_new', 332, 254, 360, 50,
          kTitleFont),
    Bitmap { name = 'bmpField', image = 'gpx/ui/textedit_frame.png', x = 362, y = 320 },
    vlkTextEdit { name = 'edtName', label = editText, x = 372, y = 324, w = 280, h = 32,
                  length = 16, utf8 = true, clearAtBeginning = not renaming,
                  windowToEnable = 'btnOk', onEnterKey = 'PlayerNameEnter' },
    Label('lblHint', '#', 332, 366, 360, 30),
    LabelledButton('btnOk', 'common_ok', 342, 434, false,
                   { default = true, command = PlayerNameConfirm }),
    LabelledButton('btnCancel', 'common_cancel', 522, 434, false,
                   { cancel = true, close = true }),
}

if not renaming then
    EnableWindow('btnOk', false)
end
RealSetFocus('edtName')
