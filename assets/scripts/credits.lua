-- The credits: the credits text scrolls up over the menu's picture, which
-- comes and goes through black; Back fades it away and removeCredits()
-- closes it.
ReadFile('scripts/common.lua')

function removeCredits()
    CloseWindow()
end

MakeDialog {
    wndCreditsFade {
        name = 'wndCreditsFade', x = 0, y = 0, w = 1024, h = 768,
        Bitmap {
            name = 'bmpContent', image = 'gpx/menu/background.jpg', x = 0, y = 0,
            wndCredits {
                name = 'wndCredits', x = 0, y = 0, w = 1024, h = 768,
                time = 2000, slotheight = 40, columngap = 162, columnwidth = 350,
                font = 'loc/en/font/helsinki.mvec', fontsize = 24,
                fontcolor = { 1, 1, 1, 1 },
                headercolor = { 1, 0.82, 0.25, 1 }, headersize = 28,
                sectioncolor = { 1, 0.55, 0.12, 1 }, sectionsize = 36,
                file = 'credits.txt',
            },
            LabelledButton('btnBack', 'common_back', 432, 690, false,
                           { default = true, cancel = true,
                             command = function() gfn_OnBackCredits() end }),
        },
        Bitmap { name = 'bmpPanelBlack', image = 'gpx/ui/panel_black.png', scale = 64,
                 x = 0, y = 0 },
    },
}
