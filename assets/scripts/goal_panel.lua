-- A quest node with a goal: the goal is told over the darkened board; OK
-- fades it away and removeGoalPanel() closes it. gGoalPanel is the goal
-- number that setGoalPanel remembered.
ReadFile('scripts/common.lua')

function removeGoalPanel()
    CloseWindow()
end

MakeDialog {
    wndGoalPanel {
        name = 'wndGoalPanel', x = 0, y = 0, w = 1024, h = 768,
        Bitmap { name = 'bmpPanelBlack', image = 'gpx/ui/panel_black.png', alpha = true,
                 scale = 64, x = 0, y = 0 },
        Bitmap {
            name = 'bmpContainer', image = 'gpx/ui/panel_400x300.png', alpha = true,
            x = 312, y = 234,
            Label('lblTitle', 'goal_panel_title', 20, 16, 360, 60, kTitleFont),
            Label('lblGoal', 'goal_panel_text', 30, 80, 340, 110),
            LabelledButton('btnOk', 'common_ok', 120, 200, false,
                           { default = true, cancel = true,
                             command = function() gfn_OnBackGoalPanel() end }),
        },
    },
}
