-- The menus check's start-up script: the game's own start-up script (laid
-- out beside it as "game_main.lua") with what the check must know printed:
-- each screen that opens and closes, each time the main menu is built (with
-- the current player's name and avatar), the input blocker shown and
-- hidden, and the register screen's messages.

local openModal = DoModal
function DoModal(name)
    print('open ' .. name)
    local result = openModal(name)
    print('closed ' .. name .. ': ' .. tostring(result))
    return result
end

local enable = EnableWindow
function EnableWindow(name, show)
    if name == 'btnBlocker' then
        print('blocker ' .. tostring(show))
    end
    return enable(name, show)
end

local setLabel = SetLabel
function SetLabel(name, text)
    if name == 'lblMessage' then
        print('message ' .. tostring(text))
    end
    return setLabel(name, text)
end

local screens = ReadFile('scripts/game_main.lua')

local showMenu = ShowMainMenu
function ShowMainMenu()
    showMenu()
    print('menu ' .. qvd_getCurrentUserString('vlkName', '') .. ' avatar ' ..
          tostring(qvd_getCurrentUserInt('UserAvatar', 0)))
end

return screens
