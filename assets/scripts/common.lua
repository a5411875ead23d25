-- Pieces the screens share: the button pictures and a few builders.

kButtonSmall = { 'gpx/ui/button_small_off.png', 'gpx/ui/button_small_on.png',
                 'gpx/ui/button_small_off_over.png' }
kButtonLarge = { 'gpx/ui/button_large_off.png', 'gpx/ui/button_large_on.png',
                 'gpx/ui/button_large_off_over.png' }
kCheckBox = { 'gpx/ui/check_off.png', 'gpx/ui/check_on.png', 'gpx/ui/check_off_over.png',
              'gpx/ui/check_on_over.png' }

kTitleFont = { 'loc/en/font/helsinki.mvec', 34, { 0.20, 0.16, 0.30, 1 } }
kButtonFont = { 'loc/en/font/helsinki.mvec', 22, { 1, 1, 1, 1 } }
kCentered = kHAlignCenter + kVAlignCenter

-- A push button with its label centred on it; more holds its other keys.
function LabelledButton(name, label, x, y, large, more)
    local graphics = large and kButtonLarge or kButtonSmall
    local w = large and 240 or 160
    local h = large and 64 or 48
    local t = more or {}
    t.name = name
    t.x = x
    t.y = y
    t.graphics = graphics
    t[table.getn(t) + 1] = Text { name = 'label', label = label, x = 0, y = 0, w = w, h = h,
                                  flags = kCentered, font = kButtonFont }
    return Button(t)
end

-- A line of text, centred in its box unless flags say otherwise.
function Label(name, label, x, y, w, h, font, flags)
    return Text { name = name, label = label, x = x, y = y, w = w, h = h,
                  flags = flags or kCentered, font = font }
end

kMessageFont = { 'loc/en/font/helsinki.mvec', 22, { 0.80, 0.18, 0.28, 1 } }
kLeft = kHAlignLeft + kVAlignCenter

-- The input blocker: a button without pictures over the whole screen,
-- laid last, that takes every click while it shows. It starts shown: a
-- screen disables its buttons before the blocker exists.
function Blocker()
    return Button { name = 'btnBlocker', x = 0, y = 0, w = 1024, h = 768 }
end

function BlockInput(block)
    EnableWindow('btnBlocker', block)
end

-- A dark veil over the screen below a pop-up: the small square picture
-- scaled past the screen's edges, as the other pop-ups' veils are (scaling
-- it to the display keeps it square, so it would stop short on the right).
function Veil()
    return Bitmap { name = 'bmpPanelBlack', image = 'gpx/ui/panel_black.png', alpha = true,
                    scale = 64, x = 0, y = 0 }
end

-- A player's name as a label shows it: markup characters escaped.
function ShownName(name)
    return (string.gsub(name, '([\\<])', '\\%1'))
end

kAvatarCodes = { boy = 0, girl = 1, dog = 2, cat = 3 }

-- Stores the avatar (by name) of the current player. The game's progress
-- store takes it when it is there; until then the player's record keeps it.
function StoreAvatar(name)
    if gnf_changeAvatar then
        gnf_changeAvatar(name)
    else
        qvd_setCurrentUserInt('UserAvatar', kAvatarCodes[name] or 0)
    end
end

-- The current player has changed: the game loads their progress.
function ReloadUserData()
    if gfn_changeUserData then
        gfn_changeUserData()
    end
end
