-- A quest level's first play in a mode: how the mode is played, until the
-- player has seen it. The screen behind darkens, then the page shows; OK
-- fades it away and removeInstructionLevel() closes it.
ReadFile('scripts/common.lua')

function removeInstructionLevel()
    CloseWindow()
end

local kPages = {
    Classic = 'instruction_classic', Blitz = 'instruction_blitz',
    Strategy = 'instruction_strategy', Cradle = 'instruction_rome', Rome = 'instruction_rome',
    Joker = 'instruction_joker',
}
local page = 'instruction_classic'
for mode, label in pairs(kPages) do
    if string.lower(mode) == string.lower(tostring(gGameMode)) then
        page = label
    end
end

MakeDialog {
    wndInstructionLevel {
        name = 'wndInstructionLevel', x = 0, y = 0, w = 1024, h = 768,
        Bitmap { name = 'bmpPanelBlack', image = 'gpx/ui/panel_black.png', alpha = true,
                 scale = 64, x = 0, y = 0 },
        Bitmap {
            name = 'bmpContainer', image = 'gpx/ui/panel_400x300.png', alpha = true,
            x = 312, y = 234,
            Label('lblTitle', 'instruction_title', 20, 16, 360, 60, kTitleFont),
            Label('lblPage', page, 30, 80, 340, 110),
            LabelledButton('btnOk', 'common_ok', 120, 200, false,
                           { default = true, cancel = true,
                             command = function() gfn_OnBackInstructionLevel() end }),
        },
    },
}
