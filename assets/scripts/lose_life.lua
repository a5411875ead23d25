-- A level lost: three hearts of which the one lost now breaks and those
-- lost before are gone, the player's avatar drooping, and "Game over" when
-- no life is left. gLifeCount (the lives left) is set by ShowLoseLife.
ReadFile('scripts/common.lua')

local lives = math.max(0, math.min(gLifeCount or 0, 2))

-- The hearts lie on the panel; the breaking heart is placed from them.
local hearts = {
    name = 'bmpBG', image = 'gpx/ui/panel_600x400.png', alpha = true, x = 212, y = 184,
}
for i = 1, 3 do
    hearts[table.getn(hearts) + 1] = Bitmap { name = 'bmp' .. i, image = 'gpx/board/heart.png',
                                              alpha = true, x = 222 + (i - 1) * 56, y = 84 }
end

MakeDialog {
    wndLoseLife {
        name = 'wndLoseLife', x = 0, y = 0, w = 1024, h = 768, LifeCount = lives,
        avatar_x = 250, avatar_y = 330,
        Bitmap { name = 'bmpPanelBlack', image = 'gpx/ui/panel_black.png', alpha = true,
                 scale = 64, x = 0, y = 0 },
        Bitmap(hearts),
        Label('lblTitle', lives > 0 and 'lose_life_title' or 'lose_life_game_over', 332, 198,
              360, 60, kTitleFont),
        Label('lblGameOver', 'lose_life_none', 430, 380, 340, 50),
        LabelledButton('btnOk', 'common_ok', 512, 488, false,
                       { default = true, cancel = true, command = function() CloseWindow() end }),
    },
}
