-- The cross-promotion screen: the games of xsell/xsell.xml in two columns,
-- each with its button and description (whose link presses the button),
-- the games site's logo and button, and the makers' emblem. Buttons and
-- logos are placed by their centres; SetupXSell fills the texts, hides the
-- places of games the file does not list and centres the rest.
ReadFile('scripts/common.lua')

local kDescriptionFont = { 'loc/en/font/helsinki.mvec', 18, { 0.20, 0.16, 0.30, 1 } }
local kSubtitleFont = { 'loc/en/font/helsinki.mvec', 20, { 0.45, 0.30, 0.15, 1 } }
local kLeftTop = kHAlignLeft + kVAlignTop

local window = {
    name = 'xsell', x = 0, y = 0, w = 1024, h = 768,
    Bitmap { name = 'bmpBackground', image = 'gpx/menu/background.jpg', x = 0, y = 0 },
    Bitmap { name = 'bmpPanel', image = 'gpx/xsell/panel.png', alpha = true, x = 72, y = 40 },
    Label('centertext1', '#', 112, 60, 800, 40, kTitleFont),
    Label('centertext2', '#', 112, 102, 800, 30, kSubtitleFont),
}

-- Each game's button: off, pressed, rollover.
local kGameButtons = {
    { 'gpx/xsell/game1_off.png', 'gpx/xsell/game1_on.png', 'gpx/xsell/game1_off_over.png' },
    { 'gpx/xsell/game2_off.png', 'gpx/xsell/game2_on.png', 'gpx/xsell/game2_off_over.png' },
    { 'gpx/xsell/game3_off.png', 'gpx/xsell/game3_on.png', 'gpx/xsell/game3_off_over.png' },
    { 'gpx/xsell/game4_off.png', 'gpx/xsell/game4_on.png', 'gpx/xsell/game4_off_over.png' },
    { 'gpx/xsell/game5_off.png', 'gpx/xsell/game5_on.png', 'gpx/xsell/game5_off_over.png' },
    { 'gpx/xsell/game6_off.png', 'gpx/xsell/game6_on.png', 'gpx/xsell/game6_off_over.png' },
    { 'gpx/xsell/game7_off.png', 'gpx/xsell/game7_on.png', 'gpx/xsell/game7_off_over.png' },
    { 'gpx/xsell/game8_off.png', 'gpx/xsell/game8_on.png', 'gpx/xsell/game8_off_over.png' },
}

-- Eight places: four rows of two.
for n = 1, 8 do
    local row = math.floor((n - 1) / 2)
    local column = n - 1 - row * 2
    local x = 112 + column * 410
    local y = 146 + row * 112
    local game = n
    window[table.getn(window) + 1] = Button {
        name = 'xsellbutton' .. n, x = x + 48, y = y + 48,
        graphics = kGameButtons[n],
        command = function() LaunchGameLink(game) end,
    }
    window[table.getn(window) + 1] = Text { name = 'descrip' .. n, label = '#', x = x + 106,
                                            y = y + 4, w = 284, h = 92, flags = kLeftTop,
                                            font = kDescriptionFont }
end

window[table.getn(window) + 1] = Button {
    name = 'sitelogo', x = 230, y = 628,
    graphics = { 'gpx/xsell/site_off.png', 'gpx/xsell/site_on.png',
                 'gpx/xsell/site_off_over.png' },
    command = function() LaunchGameLink(0) end,
}
window[table.getn(window) + 1] = LabelledButton('gamesite', 'xsell_visit_site', 430, 628, false, {
    command = function() LaunchGameLink(0) end,
})
window[table.getn(window) + 1] = Bitmap { name = 'nimbrellogo', image = 'gpx/xsell/makers.png',
                                          alpha = true, x = 810, y = 628 }
window[table.getn(window) + 1] = LabelledButton('btnBack', 'xsell_back', 530, 604, false, {
    cancel = true, command = function() CloseWindow() end,
})

MakeDialog { XSellWindow(window) }
SetupXSell()
