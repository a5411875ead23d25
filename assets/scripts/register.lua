-- A new player: a name and an avatar. The window "wndRegisterUser" shows
-- the avatar buttons, locks the cat and the dog until they are earned and
-- plays the chosen one's figure. OK refuses an empty name and one that is
-- taken, with a word why; otherwise the player is made, becomes the
-- current one and keeps the avatar. The very first player cannot cancel.

ReadFile('scripts/common.lua')

-- The name being entered, which decides whether the cat and the dog are
-- earned: a new one (so both are locked) unless the caller names a player
-- in gRegisterName.
gEnterNameValue = gRegisterName or ''
gRegisterName = nil
gAvatarChoice = 'boy'
local first = qvd_getNumUsers() == 0

function RegisterConfirm()
    local name = string.gsub(GetLabel('edtName'), '^%s*(.-)%s*$', '%1')
    gEnterNameValue = name
    -- A refused name: why, and the field to type again.
    if name == '' then
        SetLabel('lblMessage', GetString('register_empty'))
        RealSetFocus('edtName')
        return
    end
    if qvd_isNameInUse(name) then
        SetLabel('lblMessage', GetString('register_in_use'))
        RealSetFocus('edtName')
        return
    end
    qvd_createNewUser(name)
    StoreAvatar(gAvatarChoice)
    ReloadUserData()
    CloseWindow('ok')
end

-- Enter in the name field.
function RegisterEnter(text)
    RegisterConfirm()
end

local kRow = 290
local kFigure = { x = 712, y = 276 }

-- Each avatar's button: off, on, off and on under the pointer.
local kAvatarPictures = {
    boy = { 'gpx/register/avatar_boy_off.png', 'gpx/register/avatar_boy_on.png',
            'gpx/register/avatar_boy_off_over.png', 'gpx/register/avatar_boy_on_over.png' },
    girl = { 'gpx/register/avatar_girl_off.png', 'gpx/register/avatar_girl_on.png',
             'gpx/register/avatar_girl_off_over.png', 'gpx/register/avatar_girl_on_over.png' },
    cat = { 'gpx/register/avatar_cat_off.png', 'gpx/register/avatar_cat_on.png',
            'gpx/register/avatar_cat_off_over.png', 'gpx/register/avatar_cat_on_over.png' },
    dog = { 'gpx/register/avatar_dog_off.png', 'gpx/register/avatar_dog_on.png',
            'gpx/register/avatar_dog_off_over.png', 'gpx/register/avatar_dog_on_over.png' },
}

local function AvatarButton(name, x, choose)
    return Button { name = 'btnAvatar_' .. name, type = kRadio, x = x, y = kRow,
                    graphics = kAvatarPictures[name],
                    command = function()
                        gAvatarChoice = name
                        choose()
                    end }
end

local function Lock(name, x)
    return Bitmap { name = 'bmpAvatarLocked_' .. name, image = 'gpx/register/avatar_lock.png',
                    x = x, y = kRow }
end

local backdrop = first
    and Bitmap { name = 'bmpBackground', image = 'gpx/menu/background.jpg', x = 0, y = 0 }
    or Veil()

local dialog = {
    backdrop,
    Bitmap { name = 'bmpPanel', image = 'gpx/register/panel.png', x = 112, y = 84 },
    Label('lblTitle', 'register_title', 132, 96, 760, 50, kTitleFont),
    Label('lblName', 'register_name', 160, 166, 200, 40, nil, kLeft),
    Bitmap { name = 'bmpField', image = 'gpx/ui/textedit_frame.png', x = 360, y = 166 },
    vlkTextEdit { name = 'edtName', label = '', x = 370, y = 170, w = 280, h = 32,
                  length = 16, utf8 = true, onEnterKey = 'RegisterEnter' },
    Label('lblMessage', '#', 160, 212, 700, 32, kMessageFont, kLeft),
    Label('lblAvatar', 'register_avatar', 160, 246, 400, 36, nil, kLeft),
    wndRegisterUser {
        name = 'avatars', x = 0, y = 0, w = 1024, h = 768,
        avatar_boy = kFigure, avatar_girl = kFigure, avatar_cat = kFigure, avatar_dog = kFigure,
        avatar_default = 'boy',
        Bitmap { name = 'bmpPanelBase_h', image = 'gpx/register/highlight.png', x = 146, y = 276 },
        AvatarButton('boy', 160, function() gfn_setAvatarBoy() end),
        AvatarButton('girl', 290, function() gfn_setAvatarGirl() end),
        AvatarButton('cat', 420, function() gfn_setAvatarCat() end),
        AvatarButton('dog', 550, function() gfn_setAvatarDog() end),
        Lock('cat', 420),
        Lock('dog', 550),
    },
    LabelledButton('btnOk', 'common_ok', first and 432 or 342, 590, false,
                   { default = true, command = RegisterConfirm }),
}
if not first then
    table.insert(dialog, LabelledButton('btnCancel', 'common_cancel', 522, 590, false,
                                        { cancel = true, close = true }))
end
MakeDialog(dialog)

RealSetFocus('edtName')
