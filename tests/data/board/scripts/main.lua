-- The board check's start-up script: the game's look, a player, then the
-- board of the level that "board_level.lua" names, opened again each time
-- it closes. Each screen that opens and closes, and the input blocker's
-- state, is printed, so that the check knows what stands.

gQuitVerifyActive = 0
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
    print('closed ' .. name .. ': ' .. tostring(result))
    return result
end

-- The input blocker of the board screen: shown while the curtains move,
-- hidden once the board takes clicks.
local enableWindow = EnableWindow
function EnableWindow(name, enable)
    if name == 'btnBlocker' then
        print('blocker ' .. (enable and 'on' or 'off'))
    end
    return enableWindow(name, enable)
end

ReadFile('scripts/board_level.lua')

return function()
    while true do
        DoModal('scripts/game.lua')
    end
end
