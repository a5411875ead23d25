-- The world map's first visit: what the quest is, over the darkened map;
-- Continue fades it away and removeQuestPanel() closes it.
ReadFile('scripts/common.lua')

function removeQuestPanel()
    CloseWindow()
end

MakeDialog {
    wndQuestPanel {
        name = 'wndQuestPanel', x = 0, y = 0, w = 1024, h = 768,
        Bitmap { name = 'bmpPanelBlack', image = 'gpx/ui/panel_black.png', alpha = true,
                 scale = 64, x = 0, y = 0 },
        Bitmap {
            name = 'bmpContainer', image = 'gpx/ui/panel_600x400.png', alpha = true,
            x = 212, y = 184,
            Label('lblTitle', 'quest_panel_title', 120, 14, 360, 60, kTitleFont),
            Label('lblText', 'quest_panel_text', 60, 110, 480, 150),
            LabelledButton('btnContinue', 'common_continue', 220, 300, false,
                           { default = true, cancel = true,
                             command = function() gfn_OnBackQuestPanel() end }),
        },
    },
}
