-- The cross-promotion check's start-up script, in place of the game's: it
-- opens the cross-promotion screen and says when it does and when it closed.
return function()
    print('xsell open')
    print('xsell: ' .. tostring(DoModal('scripts/xsell.lua')))
end
