-- A quest node's reward: the power won is told over the darkened board;
-- OK fades it away and removeReward() closes it. gReward (1 wild, 2 bomb,
-- 3 sidewinder, 4 showtime, 5 freeze) is what setReward remembered.
ReadFile('scripts/common.lua')

function removeReward()
    CloseWindow()
end

local reward = tonumber(gReward) or 1
if reward < 1 or reward > 5 then
    reward = 1
end

MakeDialog {
    wndReward {
        name = 'wndReward', x = 0, y = 0, w = 1024, h = 768,
        Bitmap { name = 'bmpPanelBlack', image = 'gpx/ui/panel_black.png', alpha = true,
                 scale = 64, x = 0, y = 0 },
        Bitmap {
            name = 'bmpContainer', image = 'gpx/ui/panel_400x300.png', alpha = true,
            x = 312, y = 234,
            Label('lblTitle', 'reward_title', 20, 16, 360, 60, kTitleFont),
            Label('lblReward', 'reward_' .. reward, 30, 80, 340, 110),
            LabelledButton('btnOk', 'common_ok', 120, 200, false,
                           { default = true, cancel = true,
                             command = function() gfn_OnBackReward() end }),
        },
    },
}
