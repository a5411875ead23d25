-- The achievement board: the twenty medals, lit when won, the count, the
-- meter with the brain, the titles of the tier, the player's name and
-- avatar, and a tip under the medal in reach. It opens and closes through
-- black; Back fades it away, then closeAchievements() removes it.
ReadFile('scripts/common.lua')

function closeAchievements()
    CloseWindow()
end

local kIconSize = 64
local board = {
    name = 'AchieveFade', x = 0, y = 0, w = 1024, h = 768,
    Label('lblTitle', 'achievements_title', 262, 24, 500, 60, kTitleFont),
    Text { name = 'name', x = 60, y = 96, w = 460, h = 40, flags = kCentered,
           font = { kTitleFont[1], 28, kTitleFont[3] } },
    Text { name = 'AchieveQuantity', x = 640, y = 610, w = 140, h = 40,
           flags = kCentered, font = { kTitleFont[1], 30, kTitleFont[3] } },
    Text { name = 'txtAchieve1', x = 780, y = 140, w = 230, h = 44, flags = kCentered,
           font = { kTitleFont[1], 30, { 0.75, 0.32, 0.05, 1 } } },
    Text { name = 'txtAchieve2', x = 780, y = 190, w = 230, h = 70, flags = kCentered,
           font = { kTitleFont[1], 20, kTitleFont[3] } },
    Text { name = 'txtAchieve3', x = 780, y = 262, w = 230, h = 70, flags = kCentered,
           font = { kTitleFont[1], 20, kTitleFont[3] } },
    Label('lblAchieveQuestMode', 'lblAchieveQuestMode', 60, 566, 460, 30),
}
for n = 1, 20 do
    local column = math.fmod(n - 1, 5)
    local row = math.floor((n - 1) / 5)
    local x = 60 + column * 100
    local y = 160 + row * 100
    local on = string.format('gpx/board/achieve/game_%02d.png', n)
    local off = string.format('gpx/board/achieve/game_%02d_off.png', n)
    board[table.getn(board) + 1] = Bitmap { name = 'bmpIcon_' .. n .. '_on', image = on,
                                            alpha = true, x = x, y = y }
    board[table.getn(board) + 1] = Bitmap { name = 'bmpIcon_' .. n .. '_off', image = off,
                                            alpha = true, x = x, y = y }
end

MakeDialog {
    wndAchievements {
        name = 'wndAchievements', x = 0, y = 0, w = 1024, h = 768,
        avatar_boy = { x = 820, y = 400 }, avatar_girl = { x = 820, y = 400 },
        avatar_dog = { x = 820, y = 400 }, avatar_cat = { x = 820, y = 400 },
        Window(board),
        LabelledButton('btnBack', 'common_back', 432, 684, false,
                       { default = true, cancel = true,
                         command = function() gfn_OnBackAchievements() end }),
        wndToolTip {
            name = 'wndToolTip', x = 0, y = 0, w = 480, h = 48, margin_x = 14, margin_y = 10,
            fade_secs = 0.25,
            -- The plate, cut to the text by its frame, and its right end.
            Window { name = 'bgFrame', x = 0, y = 0, w = 480, h = 48,
                     Bitmap { name = 'bmpBg', image = 'gpx/ui/tooltip.png', alpha = true,
                              x = 0, y = 0 } },
            Bitmap { name = 'bmpBgEnd', image = 'gpx/ui/tooltip_end.png', alpha = true,
                     x = 0, y = 0 },
            -- Measures the text only: laid from its top left corner.
            Text { name = 'lblToolTip', x = 0, y = 0, w = 450, h = 30,
                   flags = kHAlignLeft + kVAlignTop,
                   font = { kButtonFont[1], 20, { 0.25, 0.01, 0.23, 1 } } },
        },
        Bitmap { name = 'bmpPanelBlack', image = 'gpx/ui/panel_black.png', scale = 64,
                 x = 0, y = 0 },
    },
}
