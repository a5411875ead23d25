#!/usr/bin/lua
return 1
