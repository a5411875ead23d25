-- How the game is played: the page comes and goes through black; OK fades
-- it away and removeInstructions() closes it.
ReadFile('scripts/common.lua')

function removeInstructions()
    CloseWindow()
end

MakeDialog {
    wndInstructions {
        name = 'wndInstructions', x = 0, y = 0, w = 1024, h = 768,
        Bitmap {
            name = 'bmpContainer', image = 'gpx/ui/panel_600x400.png', alpha = true,
            x = 212, y = 184,
            Label('lblTitle', 'instructions_title', 120, 14, 360, 60, kTitleFont),
            Label('lblText', 'instructions_text', 60, 110, 480, 150),
            LabelledButton('btnOk', 'common_ok', 220, 300, false,
                           { default = true, cancel = true,
                             command = function() gfn_OnBackInstructions() end }),
        },
        Bitmap { name = 'bmpPanelBlack', image = 'gpx/ui/panel_black.png', scale = 64,
                 x = 0, y = 0 },
    },
}
