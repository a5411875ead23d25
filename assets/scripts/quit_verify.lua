-- The question a close request or the Quit button asks. While it is open a
-- second close request asks nothing.
gQuitVerifyActive = 1

ReadFile('scripts/common.lua')

local function KeepPlaying()
    gQuitVerifyActive = 0
    CloseWindow()
end

MakeDialog {
    Bitmap { name = 'bmpPanel', image = 'gpx/ui/panel_400x300.png', x = 312, y = 234 },
    Label('lblQuestion', 'quit_question', 332, 264, 360, 130, kTitleFont),
    LabelledButton('btnYes', 'quit_yes', 342, 434, false, {
        default = true,
        command = function() PostMessage(CreateNamedMessage(kQuitNow, '')) end,
    }),
    LabelledButton('btnNo', 'quit_no', 522, 434, false, { cancel = true, command = KeepPlaying }),
}
