-- The screens check's start-up script: the game's own settings, a player
-- with a few achievements, then the intro, the achievement board and the
-- credits one after another, again and again. Each screen that opens and
-- closes is printed, so that the check knows what stands.

gQuitVerifyActive = 0
TextFont = 'loc/en/font/helsinki.mvec'
gCurrentDefaultStyle = {
    font = { 'fonts/default.mvec', 22, { 0.20, 0.16, 0.30, 1 } },
    sound = 'sfx/ui_click.ogg',
    rolloversound = 'sfx/ui_rollover.ogg',
}
SetState(kPause, false)

if qvd_getNumUsers() == 0 then
    qvd_createNewUser('Tester')
end

local openModal = DoModal
function DoModal(name)
    print('open ' .. name)
    local result = openModal(name)
    print('closed ' .. name)
    return result
end

return function()
    while true do
        DoModal('scripts/cutscene.lua')
        DoModal('scripts/achievement.lua')
        DoModal('scripts/credits.lua')
    end
end
