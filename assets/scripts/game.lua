-- The board screen: the background, the board screen window with the
-- board in it, and the functions that the board screen runs. A first form:
-- the frames, hearts, achievement panels, bottom and top panels and the
-- pause button come with their pictures.

ReadFile('scripts/common.lua')

-- The buttons of the screen are shut while the curtains move.
function DisableAllButtons()
end

function EnableAllButtons()
end

-- The quick-play background: the place (0 to 4) and the light (0 to 3).
-- One picture stands for all of them until the backgrounds are made.
function selectBackground(background, shade)
end

function showAlphaBackground(show)
end

function ShowLevelInstructions()
end

-- The closing curtains have closed: the screen ends.
function closeCorvalo()
    CloseWindow('closed')
end

MakeDialog {
    Bitmap { name = 'bmpBackground', image = 'gpx/menu/background.jpg', x = 0, y = 0 },
    wndCorvalo {
        name = 'wndCorvalo', x = 0, y = 0, w = 1024, h = 768,
        guiCorvalo { name = 'guiCorvalo', x = 0, y = 0, w = 1024, h = 768 },
    },
}
