-- The game stands still while this is open: "pause" is 1 from here until
-- any way out. The panel slides in from above; in quest play it offers the
-- achievement board, in quick play a greyed twin of that button. Main menu
-- asks first, then leaves the game.
ReadFile('scripts/common.lua')

SetState(kPause, true)

local function Resume()
    SetState(kPause, false)
    CloseWindow()
end

local function Options()
    DoModal('scripts/options.lua')
end

local function Achievements()
    DoModal('scripts/achievement.lua')
end

local function Instructions()
    DoModal('scripts/instructions.lua')
end

local function ToMainMenu()
    gConfirmText = GetString('pause_quit_question')
    local answer = DoModal('scripts/confirm.lua')
    gConfirmText = nil
    if answer ~= 'yes' then
        return
    end
    SetState(kPause, false)
    SetState(kGameOver, 1)
    gQuitToMenu = true
    CloseWindow()
    if qvd_quitToMainMenu then
        qvd_quitToMainMenu()
    end
end

-- The achievements button as it shows in quick play: the button's picture
-- faded, its label grey, nothing to press.
local function DisabledButton(name, label, x, y)
    return Bitmap {
        name = name, image = kButtonSmall[1], alpha = true, x = x, y = y,
        Text { name = 'label', label = label, x = 0, y = 0, w = 160, h = 48, flags = kCentered,
               font = { kButtonFont[1], kButtonFont[2], { 0.55, 0.55, 0.55, 1 } } },
    }
end

MakeDialog {
    wndPause {
        name = 'wndPause', x = 0, y = 0, w = 1024, h = 768,
        Bitmap { name = 'bmpPanelBlack', image = 'gpx/ui/panel_black.png', alpha = true,
                 scale = 64, x = 0, y = 0 },
        wndMove {
            name = 'movePause', x = 212, y = 184, w = 600, h = 400, Direction = 'TopCenter',
            Bounce = 0.15, Time = 250,
            Bitmap { name = 'bmpPanel', image = 'gpx/ui/panel_600x400.png', alpha = true,
                     x = 0, y = 0 },
            Label('lblTitle', 'pause_title', 120, 14, 360, 60, kTitleFont),
            LabelledButton('btnResume', 'pause_resume', 220, 90, false,
                           { default = true, cancel = true, command = Resume }),
            LabelledButton('btnAchievements', 'pause_achievements', 130, 156, false,
                           { command = Achievements }),
            DisabledButton('btnAchievementsDisabled', 'pause_achievements', 130, 156),
            LabelledButton('btnInstructions', 'pause_instructions', 310, 156, false,
                           { command = Instructions }),
            LabelledButton('btnOptions', 'pause_options', 130, 280, false, { command = Options }),
            LabelledButton('btnMainMenu', 'pause_menu', 310, 280, false,
                           { command = ToMainMenu }),
        },
    },
}
