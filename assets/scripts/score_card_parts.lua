-- What the two score cards share: the card picture, its title, three lines
-- of caption and value, the avatar's spot and Continue. The top panel
-- fills the values and plays the avatar where "Avatar" stands.

ReadFile('scripts/common.lua')

local kCardTitleFont = { 'loc/en/font/helsinki.mvec', 32, { 1, 1, 1, 1 } }
local kCaptionFont = { 'loc/en/font/helsinki.mvec', 22, { 0.20, 0.16, 0.30, 1 } }
local kValueFont = { 'loc/en/font/helsinki.mvec', 26, { 0.62, 0.29, 0.05, 1 } }
local kLeft = kHAlignLeft + kVAlignCenter
local kRight = kHAlignRight + kVAlignCenter

-- The third line differs: the best combo, or the Joker bonus.
function MakeScoreCard(lastValue, lastCaption)
    local lines = {
        { 'lblScore', 'score_card_score' },
        { 'lblTotalScore', 'score_card_total' },
        { lastValue, lastCaption },
    }
    local card = {
        Bitmap { name = 'bmpScoreCard', image = 'gpx/board/score_card.png', alpha = true,
                 x = 0, y = 0 },
        Label('Level Complete1', 'Level Complete1', 80, 20, 475, 62, kCardTitleFont),
        -- The avatar stands on the lit stage, centred here.
        Window { name = 'Avatar', x = 135, y = 230, w = 1, h = 1 },
        LabelledButton('btnContinue', 'score_card_continue', 360, 310, false, {
            default = true,
            command = function()
                -- A natural break for a hosting page, before the next level.
                if ReportScore then
                    ReportScore()
                end
                SetState(kBreakNow, 1)
                SetState('++' .. kLevel, '')
                gfn_ClearTopWindow()
                onEndLevel()
            end,
        }),
    }
    for i, line in ipairs(lines) do
        local y = 110 + (i - 1) * 62
        card[table.getn(card) + 1] = Label(line[1] .. 'Caption', line[2], 270, y, 180, 48,
                                           kCaptionFont, kLeft)
        card[table.getn(card) + 1] = Label(line[1], '0', 440, y, 150, 48, kValueFont, kRight)
    end
    MakeDialog(card)
end
