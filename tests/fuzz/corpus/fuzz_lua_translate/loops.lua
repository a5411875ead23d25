local log = {}
for i = 1, 3 do
  for j = 1, 3 do
    local x = i .. j
    log[table.getn(log) + 1] = function() return x end
    if j == 2 then continue 2 end
    if i == 3 then break 2 end
  end
end
local n = 0
while true do
  n = n + 1
  repeat
    local m = n
    if m > 2 then break 2 end
    if m == 1 then continue end
  until m > 5
end
