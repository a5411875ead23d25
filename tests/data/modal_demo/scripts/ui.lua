-- What the demo's dialogs share: the button pictures, the fonts and a
-- button with its label.

kDemoButton = { 'gpx/ui/button_small_off.png', 'gpx/ui/button_small_on.png',
                'gpx/ui/button_small_off_over.png' }
kDemoTitleFont = { 'fonts/default.mvec', 30, { 0.20, 0.16, 0.30, 1 } }
kDemoButtonFont = { 'fonts/default.mvec', 22, { 1, 1, 1, 1 } }
kDemoCentered = kHAlignCenter + kVAlignCenter

-- A 160 x 48 push button at x, y; more holds its other keys.
function DemoButton(name, label, x, y, more)
    local t = more or {}
    t.name = name
    t.x = x
    t.y = y
    t.graphics = kDemoButton
    t[table.getn(t) + 1] = Text { name = 'label', label = '#' .. label, x = 0, y = 0, w = 160,
                                  h = 48, flags = kDemoCentered, font = kDemoButtonFont }
    return Button(t)
end
