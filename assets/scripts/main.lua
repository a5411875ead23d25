-- The game's start-up script. It sets the look that every screen shares
-- and returns the screens' coroutine: that function asks for a first player
-- when there is none, builds the main menu into the screen and then waits
-- for ever, so that the screens the menu opens (and the dialogs the game
-- opens later, such as the quit question on a close request) run inside it.

-- The quit question is not open. A number: the game reads it as one.
gQuitVerifyActive = 0

-- How many players the player list holds.
gMaximumNumberOfPlayers = 5

-- Only the font and the button sounds: any other key of the default style
-- would reach every window.
gCurrentDefaultStyle = {
    font = { 'fonts/default.mvec', 22, { 0.20, 0.16, 0.30, 1 } },
    sound = 'sfx/ui_click.ogg',
    rolloversound = 'sfx/ui_rollover.ogg',
}

-- The tool tips' font.
TextFont = 'loc/en/font/helsinki.mvec'

SetState(kPause, false)

-- Builds the main menu into the screen, in place of the one standing
-- there: a screen the menu opened has returned (or the game starts). A
-- player's first visit plays the intro over it.
function ShowMainMenu()
    DestroyWindow('mainmenu')
    ReadFile('scripts/mainmenu.lua')
    if gIntroDue then
        gIntroDue = nil
        gCutsceneFile = nil
        DoModal('scripts/cutscene.lua')
    end
end

return function()
    while qvd_getNumUsers() == 0 do
        DoModal('scripts/register.lua')
    end
    ShowMainMenu()
    while true do
        WaitForMessage()
    end
end
