local a, b = 6, 3
local t = {a & b, a | b, 1 << 31, -1 >> 28, 2 + 3 & 1 * 4, -2 ^ 2 & 7, 1 .. 2 & 3}
local s = "x" .. 'y' .. [[z [[nested]] ]] .. L"wide\x263a\n\65"
return not a == b and a <= b or a ~= b, t
