-- The modal-window demo's start-up script. It sets the look the dialogs
-- share and returns the screen coroutine, which opens the demo dialog
-- again each time it closes and prints what each opening returned.

gCurrentDefaultStyle = {
    font = { 'fonts/default.mvec', 22, { 0.20, 0.16, 0.30, 1 } },
    sound = 'sfx/ui_click.ogg',
    rolloversound = 'sfx/ui_rollover.ogg',
}

return function()
    while true do
        print('demo: ' .. tostring(DoModal('scripts/demo.lua')))
    end
end
