local w = L"wide" .. 1 .. 2
return w
