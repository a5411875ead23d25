-- The demo dialog: a panel with a title, a text field, a slider, OK (the
-- default button: it prints the field's text and closes), Cancel (closes;
-- its hot key is the letter after the "&" of its label) and More, which
-- opens a second dialog over this one.

ReadFile('scripts/ui.lua')

local cancelLabel, cancelKey = StripKeyFromLabel('&Cancel')

function DemoOk()
    print('edit: ' .. GetLabel('edit'))
end

function DemoMore()
    print('second: ' .. tostring(DoModal('scripts/second.lua')))
end

MakeDialog {
    Window { name = 'demo', x = 212, y = 184, w = 600, h = 400,
        Bitmap { name = 'backdrop', image = 'gpx/ui/panel_600x400.png' },
        Text { name = 'title', label = '#Modal window demo', x = 20, y = 24, w = 560, h = 40,
               flags = kDemoCentered, font = kDemoTitleFont },
        Text { name = 'prompt', label = '#Your name:', x = 40, y = 104, w = 120, h = 32,
               flags = kHAlignLeft + kVAlignCenter },
        Bitmap { name = 'field', image = 'gpx/ui/textedit_frame.png', x = 170, y = 100 },
        TextEdit { name = 'edit', x = 180, y = 104, w = 280, h = 32, length = 20 },
        Text { name = 'volume', label = '#Volume:', x = 40, y = 180, w = 120, h = 32,
               flags = kHAlignLeft + kVAlignCenter },
        Slider { name = 'slider', x = 170, y = 184, w = 300, h = 24, hslider = true,
                 railtop = 'gpx/ui/slider_rail_top.png', railmid = 'gpx/ui/slider_rail_mid.png',
                 railbot = 'gpx/ui/slider_rail_bottom.png',
                 sliderimage = 'gpx/ui/slider_knob_h.png',
                 sliderrollimage = 'gpx/ui/slider_knob_h_over.png', value = 0.5 },
        DemoButton('ok', 'OK', 30, 320, { default = true, close = true, command = DemoOk }),
        DemoButton('more', 'More', 220, 320, { command = DemoMore }),
        DemoButton('cancel', TagHotKey(cancelKey, cancelLabel, ''), 410, 320,
                   { cancel = true, close = true }),
    },
}

RegisterHotkey(cancelKey, 'cancel')
RealSetFocus('edit')
print('demo open')
