-- The game's start-up script. It sets the look that every screen shares
-- and returns the screens' coroutine: that function opens the first
-- screen and then waits for ever, so that the dialogs the game opens later
-- (the quit question on a close request) run inside it.

-- The quit question is not open. A number: the game reads it as one.
gQuitVerifyActive = 0

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

return function()
    DoModal('scripts/players.lua')
    while true do
        WaitForMessage()
    end
end
