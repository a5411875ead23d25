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
