-- main script
print("hello")
