-- comment
--[[ long
comment [[ nested ]] ]]
local function f(a, ...) return a, arg.n end
local o = {x = 1, ["y"] = 2; 3, {;}, {1,;2}}
function o.m:n(v) return self, v end
local r = f"s" .. f'q' .. f[[l]]
if r then r = 1 elseif o then r = 2 else r = 3 end
for k, v in pairs(o) do r = r + 1 end
for i = 10, 1, -2 do r = r - i end
do local x = .5 + 1e3 + 3. end
repeat local done = true until done
return r
