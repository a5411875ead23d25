-- A new avatar was won on the quest map: the pop-up names it once.
ReadFile('scripts/common.lua')

MakeDialog {
    wndAvatarUnlocked {
        name = 'wndAvatarUnlocked', x = 0, y = 0, w = 1024, h = 768,
        avatar_cat_x = 512, avatar_cat_y = 380, avatar_dog_x = 512, avatar_dog_y = 380,
        Bitmap { name = 'bmpPanelBlack', image = 'gpx/ui/panel_black.png', alpha = true,
                 scale = 64, x = 0, y = 0 },
        Bitmap { name = 'bmpPanel', image = 'gpx/ui/panel_400x300.png', alpha = true,
                 x = 312, y = 234 },
        Label('lblTitle', 'avatar_unlocked_title', 332, 250, 360, 60, kTitleFont),
        Label('lblAvatarUnlockContent', 'avatar_unlocked_content', 342, 320, 340, 90),
        LabelledButton('btnOk', 'common_ok', 432, 434, false,
                       { default = true, cancel = true, command = function() CloseWindow() end }),
    },
}
