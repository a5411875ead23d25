-- A yes-or-no question; the asker puts its text (as a label shows it) in
-- gConfirmText. Returns 'yes' or 'no'.

ReadFile('scripts/common.lua')

MakeDialog {
    Veil(),
    Bitmap { name = 'bmpPanel', image = 'gpx/ui/panel_400x300.png', x = 312, y = 234 },
    Label('lblQuestion', '#', 332, 264, 360, 130, kTitleFont),
    LabelledButton('btnYes', 'quit_yes', 342, 434, false, {
        command = function() CloseWindow('yes') end,
    }),
    LabelledButton('btnNo', 'quit_no', 522, 434, false, {
        default = true, cancel = true, command = function() CloseWindow('no') end,
    }),
}

SetLabel('lblQuestion', gConfirmText or '')
