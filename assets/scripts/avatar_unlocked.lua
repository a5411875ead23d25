-- A new avatar was won on the quest map: the pop-up shows it cheering and
-- names it, once.
ReadFile('scripts/common.lua')

MakeDialog {
    wndAvatarUnlocked {
        name = 'wndAvatarUnlocked', x = 0, y = 0, w = 1024, h = 768,
        avatar_cat_x = 250, avatar_cat_y = 270, avatar_dog_x = 250, avatar_dog_y = 270,
        Bitmap { name = 'bmpVeil', image = 'gpx/ui/panel_black.png', alpha = true,
                 scale = 64, x = 0, y = 0 },
        Bitmap { name = 'bmpPanel', image = 'gpx/ui/panel_600x400.png', alpha = true,
                 x = 212, y = 184 },
        Label('lblTitle', 'avatar_unlocked_title', 332, 198, 360, 60, kTitleFont),
        Label('lblAvatarUnlockContent', 'avatar_unlocked_content', 430, 280, 340, 130),
        LabelledButton('btnOk', 'common_ok', 512, 488, false,
                       { default = true, cancel = true, command = function() CloseWindow() end }),
    },
}
