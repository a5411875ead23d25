#pragma once

#include "framework/core/tasks/TClock.h"
#include "framework/ui/widgets/TText.h"

#include <list>
#include <memory>

// A one-line text entry field: its own text and a byte cursor, shown with
// a blinking cursor, masked for passwords, with a length limit, character
// filters (an ignore list, the font's glyphs, control characters), editing
// and cursor keys, paste, a kTextEditChanged message for every change, and
// Tab to the next field of its dialog. Games derive their own field and
// override the two filter slots.
class TTextEdit : public TText {
public:
    // What a filter slot is asked about.
    enum EditKind : int32_t {
        kInsert = 0,
        kDeleteOrMove = 1,
        kEnter = 2,
        kTab = 3,
        kAlwaysAllowed = 4,
        kRefused = 5,
    };
    using EditList = std::list<TTextEdit*>;

    // Key codes and modifier bits the field reads.
    static constexpr int8_t kKeyDelete = -1;
    static constexpr int8_t kKeyInsert = -124;
    static constexpr int8_t kKeyRight = -125;
    static constexpr int8_t kKeyLeft = -126;
    static constexpr uint32_t kModControl = 2;
    static constexpr uint32_t kModAlt = 4;
    static constexpr uint32_t kModExtended = 8;
    // The cursor is hidden for the first 401 ms of each period.
    static constexpr uint32_t kBlinkPeriodMs = 800;
    static constexpr uint32_t kRefreshMs = 200;

    TTextEdit();

    const char* GetClassName() const override { return "TTextEdit"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TText::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    bool OnAttached() override;
    // "password", "length", "ignore", "utf8"; the label is the initial
    // text, untranslated.
    void Init(TWindowStyle& style) override;
    void Draw() override;
    bool OnAnimate() override;
    bool OnChar(char c) override;
    bool OnText(const TString& text) override;
    bool OnKeyDown(int8_t key, uint32_t modifiers) override;

    // The edited text; the cursor goes to its end.
    void SetText(const TString& text) override;
    TString GetText() const override { return mText; }

    // Kind 0 (insert) within the length limit, 1 and 4 always.
    virtual bool AllowEdit(int32_t kind, int32_t character);
    // The length in code points and the font's glyphs for insertions, then
    // AllowEdit.
    virtual bool CheckChar(int32_t kind, uint32_t codePoint);

    void SetUtf8(bool utf8) { mUtf8 = utf8; }
    void SetPassword(bool password);
    void SetIgnore(const TString& ignore) { mIgnore = ignore; }
    void SetEditable(bool editable) { mEditable = editable; }
    void SetMaxLength(int32_t length) { mMaxLength = length; }
    int32_t GetCursor() const { return mCursor; }
    // What the layout shows: the text (or its stars), escaped, with the
    // cursor tag while it is on.
    TString GetDisplayText() const { return TText::GetText(); }
    const std::shared_ptr<EditList>& GetEditList() const { return mEditList; }

    void RefreshDisplay();
    // Joins the focus order of the field's dialog (once it has one).
    void JoinEditList();

protected:
    ~TTextEdit() override;

private:
    // Posts kTextEditChanged named after the field.
    void PostChanged();
    int32_t CodePointCount() const;
    // The length of the character before or at a byte.
    int32_t LengthBefore(int32_t at) const;
    int32_t LengthAt(int32_t at) const;
    // Appends a paste to the text as if typed: well-formed UTF-8 only,
    // through the control-character, ignore and CheckChar filters.
    void PasteText(const TString& pasted);

    int32_t mMaxLength = 10;
    std::shared_ptr<EditList> mEditList;
    TString mText;
    int32_t mCursor = 0;
    bool mEditable = true;
    bool mUtf8 = false;
    bool mPassword = false;
    bool mCursorVisible = false;
    TString mIgnore;
    TClock mBlinkClock;
};
