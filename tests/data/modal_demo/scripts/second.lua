-- The second dialog, opened by the demo's More button over the demo: a
-- smaller panel that closes with Close or Escape.

ReadFile('scripts/ui.lua')

MakeDialog {
    Window { name = 'second', x = 312, y = 234, w = 400, h = 300,
        Bitmap { name = 'backdrop', image = 'gpx/ui/panel_400x300.png' },
        Text { name = 'title', label = '#A second dialog', x = 20, y = 30, w = 360, h = 40,
               flags = kDemoCentered, font = kDemoTitleFont },
        DemoButton('close', 'Close', 120, 200, { default = true, cancel = true, close = true }),
    },
}

print('second open')
