#pragma once

// Ends 2-D drawing on the drawing front when the scope ends, if the scope
// was told that it began it: a window's draw begins 2-D drawing (which
// answers false when it was already begun by someone else) and hands the
// answer to the scope, so each path out of the draw leaves the drawing
// front as it found it.
class TDraw2dScope {
public:
    explicit TDraw2dScope(bool begun = false) : mBegun(begun) {}
    TDraw2dScope(const TDraw2dScope&) = delete;
    TDraw2dScope& operator=(const TDraw2dScope&) = delete;
    ~TDraw2dScope();

    void SetBegun(bool begun) { mBegun = begun; }
    bool IsBegun() const { return mBegun; }

private:
    bool mBegun;
};
