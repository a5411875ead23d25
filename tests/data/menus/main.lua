-- The menus check's start-up script: the game's own start-up script (laid
-- out beside it as "game_main.lua") with what the check must know printed:
-- each screen that opens and closes, each time the main menu is built (with
-- the current player's name and avatar), the input blocker shown and
-- hidden, the register screen's messages, and where each named window of
-- a screen stands as the screen's script lays it out:
--   layout PATH X Y W H IMAGE
-- PATH the names of the window and its named parents joined by '/', X and
-- Y in the screen's picture (a window built into a window that the game
-- places itself, such as the score card, gives them from that window), W
-- and H as the script gives them (-1 when it leaves them to the picture),
-- IMAGE the window's picture or its first button picture ('-' for none).

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

local placed = {}
local makeWindow = DoWindow
function DoWindow(t)
    local parent = placed[table.getn(placed)] or { x = 0, y = 0, path = '' }
    local here = { x = parent.x + (t.x or 0), y = parent.y + (t.y or 0), path = parent.path }
    if type(t.name) == 'string' and t.name ~= '' then
        here.path = parent.path == '' and t.name or parent.path .. '/' .. t.name
        local image = t.image or (type(t.graphics) == 'table' and t.graphics[1]) or '-'
        print(string.format('layout %s %d %d %d %d %s', here.path, here.x, here.y, t.w or -1,
                            t.h or -1, image))
    end
    table.insert(placed, here)
    makeWindow(t)
    table.remove(placed)
end

local screens = ReadFile('scripts/game_main.lua')

local showMenu = ShowMainMenu
function ShowMainMenu()
    showMenu()
    print('menu ' .. qvd_getCurrentUserString('vlkName', '') .. ' avatar ' ..
          tostring(qvd_getCurrentUserInt('UserAvatar', 0)))
end

return screens
