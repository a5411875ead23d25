-- The game stands still while this is open: "pause" is 1 from here until
-- any way out.
ReadFile('scripts/common.lua')

SetState(kPause, true)

local function Resume()
    SetState(kPause, false)
    CloseWindow()
end

local function Options()
    DoModal('scripts/options.lua')
end

local function ToMainMenu()
    SetState(kPause, false)
    SetState(kGameOver, 1)
    gQuitToMenu = true
    CloseWindow()
    if qvd_quitToMainMenu then
        qvd_quitToMainMenu()
    end
end

MakeDialog {
    wndPause {
        name = 'wndPause', x = 0, y = 0, w = 1024, h = 768,
        Bitmap { name = 'bmpPanelBlack', image = 'gpx/ui/panel_black.png', alpha = true,
                 scale = 64, x = 0, y = 0 },
        Bitmap { name = 'bmpPanel', image = 'gpx/ui/panel_400x300.png', alpha = true,
                 x = 312, y = 234 },
        Label('lblTitle', 'pause_title', 332, 250, 360, 60, kTitleFont),
        LabelledButton('btnResume', 'pause_resume', 432, 340, false,
                       { default = true, cancel = true, command = Resume }),
        LabelledButton('btnOptions', 'pause_options', 352, 430, false, { command = Options }),
        LabelledButton('btnMainMenu', 'pause_menu', 512, 430, false,
                       { command = ToMainMenu }),
    },
}
