-- A level lost: the hearts still left (gLifeCount, set by ShowLoseLife),
-- or the end of the game when none is.
ReadFile('scripts/common.lua')

local lives = gLifeCount or 0
local panel = {
    name = 'wndLoseLife', x = 0, y = 0, w = 1024, h = 768, LifeCount = lives,
    Bitmap { name = 'bmpBG', image = 'gpx/ui/panel_black.png', alpha = true, scale = 64,
             x = 0, y = 0 },
    Bitmap { name = 'bmpPanel', image = 'gpx/ui/panel_400x300.png', alpha = true,
             x = 312, y = 234 },
    Label('lblTitle', lives > 0 and 'lose_life_title' or 'lose_life_game_over', 332, 250, 360,
          60, kTitleFont),
    LabelledButton('btnOk', 'common_ok', 432, 434, false,
                   { default = true, cancel = true, command = function() CloseWindow() end }),
}
panel[table.getn(panel) + 1] = Label('lblLivesLeft',
                                     lives > 0 and 'lose_life_left' or 'lose_life_none', 332,
                                     lives > 0 and 300 or 330, 360, 30)
for i = 1, math.min(lives, 3) do
    local x = 512 - math.min(lives, 3) * 30 + (i - 1) * 60 + 8
    panel[table.getn(panel) + 1] = Bitmap { name = 'bmp' .. i, image = 'gpx/board/heart.png',
                                            alpha = true, x = x, y = 350 }
end

MakeDialog { wndLoseLife(panel) }
