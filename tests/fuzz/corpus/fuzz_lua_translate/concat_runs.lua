#!/usr/bin/lua -- a first line the translator skips
local w, n, t = L"w", 2, {}
local a = w .. 1 .. n
local b = w ..
  n .. -- a comment between operands
  3
local c = "x" .. w .. n .. t.k .. f() .. (w .. n) .. 1 & 3
local d = w .. n .. t:m() .. g"s" .. h{1}
local e = (w .. n .. 1) .. 2 == w .. 3 .. 4 and w .. 5 .. 6 or 7 .. 8 .. 9
return a .. b .. c, d .. e .. function() return w .. n .. n end, not w .. n .. -n
