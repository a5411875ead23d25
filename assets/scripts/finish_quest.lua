-- The end of the quest: the title, the fireworks and a message whose
-- button fades the screen to black and back before FinishQuest_Back closes
-- it. The black "bmpFade" belongs to the world map below (worldmap.lua):
-- this dialog is hidden at black, and the map comes back through it.
ReadFile('scripts/common.lua')

-- The fade is over: back to the world map.
function FinishQuest_Back()
    CloseWindow()
end

MakeDialog {
    wndFinishQuest {
        name = 'wndFinishQuest', x = 0, y = 0, w = 1024, h = 768,
        Bitmap {
            name = 'bmpPanel', image = 'gpx/finish/panel.png', alpha = true, x = 252, y = 300,
            Label('lblFinishQuest', 'finish_quest_message', 30, 30, 460, 120, kTitleFont),
            LabelledButton('btnBack', 'finish_quest_back', 180, 170, false,
                           { command = function() gfn_onFinishQuest_Back() end }),
        },
    },
}
