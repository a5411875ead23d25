-- The progress check's start-up script: the game's look, a player, the
-- quest style, then the progress screen, opened again each time it closes.

gQuitVerifyActive = 0
gCurrentDefaultStyle = {
    font = { 'fonts/default.mvec', 22, { 0.20, 0.16, 0.30, 1 } },
    sound = 'sfx/ui_click.ogg',
    rolloversound = 'sfx/ui_rollover.ogg',
}
gGameStyle = 'quest'
gGameMode = 'Classic'

if qvd_getNumUsers() == 0 then
    qvd_createNewUser('Tester')
    -- The profile read at start-up was no player's: this one's now.
    gfn_changeUserData()
end

return function()
    while true do
        DoModal('scripts/progress.lua')
    end
end
