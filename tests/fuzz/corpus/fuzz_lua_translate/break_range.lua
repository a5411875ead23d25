while 1 do break 101 end
