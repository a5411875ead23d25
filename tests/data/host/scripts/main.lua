-- The hosted-game test's start-up script, in place of the game's: it plays
-- a game as the game's scripts would report one to a hosting page, and
-- every 50 ms (game time) prints the timer and the registry's answers:
--   tick <GetTimer()> <QueryMuteGame()> <QueryRestartMode()> <QueryJumpToMenu()>
-- With a host ("-wnd=") it starts the game on the host's code 7 and ends it
-- on code 10; without one it plays straight through.

local hosted = string.find(GetState(kCmdLine), '-wnd=', 1, true) ~= nil

local function Tick()
    print(string.format('tick %d %s %s %s', GetTimer(), tostring(QueryMuteGame()),
                        tostring(QueryRestartMode()), tostring(QueryJumpToMenu())))
end

-- Ticks until the host's last code is the one given.
local function WaitForCode(code)
    while hosted and GetState('windowmessage') ~= tostring(code) do
        Tick()
        Pause(50)
    end
end

return function()
    print('script: start')
    WaitForCode(7)
    SetState(kGameMode, 'Classic')
    SetState(kLevel, 1)
    SetState(kScore, 100)
    SetState(kScore, 200)
    SetState(kScore, 300)
    SetState(kBreakNow, 1)
    SetState(kPause, true)
    SetState(kPause, false)
    print('script: played')
    WaitForCode(10)
    SetState(kGameOver, 1)
    print('script: over')
    while true do
        Tick()
        Pause(50)
    end
end
