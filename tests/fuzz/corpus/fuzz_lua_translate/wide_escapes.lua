local s = L"\a\b\f\n\r\t\v\65\x263a\xg\q\"\\\
next"
local t = {[L""] = L"x" .. 1}
return s, f L"arg", t
