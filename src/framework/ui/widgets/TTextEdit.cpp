#include "framework/ui/widgets/TTextEdit.h"

#include "framework/core/math/ClampedInt.h"
#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/text/TMvecFont.h"
#include "framework/graphics/text/TTextLayout.h"
#include "framework/script/message/TMessage.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TModalWindow.h"
#include "framework/ui/window/TWindowStyle.h"

#include <algorithm>
#include <string>

namespace {

// The length of a UTF-8 sequence from its lead byte.
int32_t SequenceLength(unsigned char lead) {
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return 4;
}

uint32_t DecodeFirst(std::string_view text) {
    if (text.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    const int32_t length =
        std::min<int32_t>(SequenceLength(lead), static_cast<int32_t>(text.size()));
    if (length == 1)
        return lead;
    uint32_t code = lead & (0x7Fu >> length);
    for (int32_t i = 1; i < length; ++i)
        code = (code << 6) | (static_cast<unsigned char>(text[i]) & 0x3Fu);
    return code;
}

// The length of the well-formed UTF-8 character at the start of text, its
// code point in code; 0 for a byte that starts none (a stray continuation
// byte, a cut sequence, an overlong form, a surrogate, past U+10FFFF).
size_t DecodeValid(std::string_view text, uint32_t& code) {
    if (text.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    size_t length = 0;
    uint32_t least = 0;
    if (lead >= 0xC2 && lead < 0xE0) {
        length = 2;
        least = 0x80;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        length = 3;
        least = 0x800;
    } else if (lead >= 0xF0 && lead < 0xF5) {
        length = 4;
        least = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    code = lead & (0x7Fu >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
        return 0;
    return length;
}

// Characters that show nothing or turn the text around: two names that
// differ only in them look the same.
bool IsFormatCharacter(uint32_t code) {
    return code == 0x00AD || code == 0x034F || code == 0x061C || code == 0x180E ||
           (code >= 0x200B && code <= 0x200F) || (code >= 0x202A && code <= 0x202E) ||
           (code >= 0x2060 && code <= 0x206F) || code == 0xFEFF ||
           (code >= 0xFFF9 && code <= 0xFFFB) || (code >= 0xFE00 && code <= 0xFE0F) ||
           (code >= 0xE0000 && code <= 0xE0FFF) || (code >= 0x1D173 && code <= 0x1D17A);
}

// The shown text: markup characters typed by the player are escaped, and
// the cursor tag stands where the cursor's byte lands after escaping.
std::string EscapeForMarkup(std::string_view text, int32_t cursor, bool withCursor) {
    std::string out;
    for (int32_t i = 0; i <= static_cast<int32_t>(text.size()); ++i) {
        if (withCursor && i == cursor)
            out += "<cursor>";
        if (i == static_cast<int32_t>(text.size()))
            break;
        if (text[i] == '<' || text[i] == '\\')
            out += '\\';
        out += text[i];
    }
    return out;
}

// Finds a field of the dialog that already has a focus order.
class TextSpider : public TWindowSpider {
public:
    explicit TextSpider(TTextEdit* edit) : mEdit(edit) {}
    bool Visit(TWindow* window) override {
        if (window != mEdit && window->IsKindOf(TTextEdit::GetClassId())) {
            auto* other = static_cast<TTextEdit*>(window);
            const auto& list = other->GetEditList();
            if (list && std::find(list->begin(), list->end(), mEdit) == list->end()) {
                found = list;
                return false;
            }
        }
        return window->ForEachChild(*this);
    }
    std::shared_ptr<TTextEdit::EditList> found;

private:
    TTextEdit* mEdit;
};

} // namespace

TTextEdit::TTextEdit() {
    mFlags |= kWindowTakesFocus;
    mBlinkClock.Start();
}

TTextEdit::~TTextEdit() {
    if (mEditList)
        mEditList->remove(this);
}

TWindow* TTextEdit::Create() {
    return new TTextEdit;
}

bool TTextEdit::OnAttached() {
    JoinEditList();
    return true;
}

void TTextEdit::Init(TWindowStyle& style) {
    // 1.
    JoinEditList();
    // 2.
    const bool password = style.GetBool("password", false);
    const int32_t length = ClampedInt(style.GetNumber("length", 10), INT32_MIN, INT32_MAX);
    const TString ignore = style.GetString("ignore");
    SetUtf8(style.GetBool("utf8", false));
    // 3.
    TWindowManager* manager = TWindowManager::Instance();
    const bool translated = manager ? manager->SetScriptFlag(false) : false;
    if (password)
        SetPassword(true);
    TText::Init(style);
    if (manager)
        manager->SetScriptFlag(translated);
    // 4.
    mMaxLength = length;
    SetIgnore(ignore);
}

void TTextEdit::Draw() {
    if (!mEditList)
        JoinEditList();
    TText::Draw();
}

bool TTextEdit::OnAnimate() {
    RefreshDisplay();
    return true;
}

void TTextEdit::SetText(const TString& text) {
    mText = text;
    mCursor = static_cast<int32_t>(mText.Length());
    RefreshDisplay();
}

void TTextEdit::SetPassword(bool password) {
    mPassword = password;
    RefreshDisplay();
}

void TTextEdit::RefreshDisplay() {
    std::string shown = mPassword ? std::string(mText.Length(), '*') : mText.ToStd();
    bool withCursor = false;
    TWindowManager* manager = TWindowManager::Instance();
    if (manager && manager->GetFocus() == this) {
        if (mBlinkClock.GetTime() % kBlinkPeriodMs < 401) {
            if (mCursorVisible) {
                mCursorVisible = false;
                InvalidateWindows();
            }
        } else {
            if (!mCursorVisible) {
                mCursorVisible = true;
                InvalidateWindows();
            }
            withCursor = mEditable;
        }
    }
    TText::SetText(TString(EscapeForMarkup(shown, mCursor, withCursor)));
}

void TTextEdit::JoinEditList() {
    if (mEditList)
        return;
    TModalWindow* modal = GetModalParent();
    if (!modal)
        return;
    ScheduleAnimation(kRefreshMs, true, true, false);
    TextSpider spider(this);
    modal->ForEachChild(spider);
    if (spider.found) {
        mEditList = spider.found;
        mEditList->push_back(this);
    } else {
        mEditList = std::make_shared<EditList>(EditList{this});
    }
}

bool TTextEdit::AllowEdit(int32_t kind, int32_t character) {
    switch (kind) {
    case kInsert:
        if (mUtf8 || static_cast<int32_t>(mText.Length()) + 1 < mMaxLength)
            return true;
        AllowEdit(kRefused, character);
        return false;
    case kDeleteOrMove:
    case kAlwaysAllowed:
        return true;
    default:
        return false;
    }
}

bool TTextEdit::CheckChar(int32_t kind, uint32_t codePoint) {
    if (kind == kInsert) {
        bool refused = (mUtf8 && CodePointCount() >= mMaxLength) || IsFormatCharacter(codePoint);
        if (!refused && mLayout) {
            TMvecFont* font = GetFont(mLayout->GetFontName());
            if (font && font->FindGlyph(codePoint) < 0) {
                TMvecFont* fallback = GetFont(TString(TTextLayout::kFallbackFont));
                refused = !fallback || fallback->FindGlyph(codePoint) < 0;
            }
        }
        if (refused) {
            if (codePoint >= 128)
                CheckChar(kRefused, codePoint);
            else
                AllowEdit(kRefused, static_cast<int32_t>(codePoint));
            return false;
        }
    }
    return AllowEdit(kind, codePoint < 128 ? static_cast<int32_t>(codePoint) : ' ');
}

int32_t TTextEdit::CodePointCount() const {
    int32_t count = 0;
    for (unsigned char c : mText.View()) {
        if ((c & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

int32_t TTextEdit::LengthBefore(int32_t at) const {
    const std::string_view text = mText.View();
    int32_t lead = at - 1;
    while (lead > 0 && at - lead < 4 && (static_cast<unsigned char>(text[lead]) & 0xC0) == 0x80)
        --lead;
    if (lead < 0)
        return 0;
    return std::min(SequenceLength(static_cast<unsigned char>(text[lead])), at);
}

int32_t TTextEdit::LengthAt(int32_t at) const {
    const std::string_view text = mText.View();
    if (at >= static_cast<int32_t>(text.size()))
        return 0;
    return std::min(SequenceLength(static_cast<unsigned char>(text[at])),
                    static_cast<int32_t>(text.size()) - at);
}

void TTextEdit::PostChanged() {
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->PostMessage(new TMessage(TMessage::kTextEditChanged, GetName()));
}

bool TTextEdit::OnChar(char c) {
    return OnText(TString(&c, 1));
}

bool TTextEdit::OnText(const TString& text) {
    // 1.
    if (!mEditable || text.IsEmpty())
        return false;
    const std::string_view typed = text.View();
    const auto first = static_cast<unsigned char>(typed[0]);
    bool handled = false;
    if (first == 8) {
        // 2.
        if (mCursor == 0) {
            handled = CheckChar(kRefused, first);
        } else {
            const int32_t length = LengthBefore(mCursor);
            if (AllowEdit(kDeleteOrMove, static_cast<unsigned char>(mText.View()[mCursor - 1]))) {
                std::string edited = mText.ToStd();
                edited.erase(static_cast<size_t>(mCursor - length), static_cast<size_t>(length));
                mText = TString(edited);
                mCursor -= length;
                RefreshDisplay();
            }
            handled = true;
        }
    } else if (first == 9) {
        // 3.
        if (CheckChar(kTab, first)) {
            handled = true;
        } else {
            if (mEditList && !mEditList->empty()) {
                auto at = std::find(mEditList->begin(), mEditList->end(), this);
                TTextEdit* next = this;
                for (size_t step = 0; step < mEditList->size(); ++step) {
                    if (at == mEditList->end() || ++at == mEditList->end())
                        at = mEditList->begin();
                    next = *at;
                    if (next->IsShown())
                        break;
                }
                if (TWindowManager* manager = TWindowManager::Instance())
                    manager->SetFocus(next);
            }
            return false;
        }
    } else if (first == 13) {
        // 4.
        handled = CheckChar(kEnter, first);
    } else {
        // 5.
        if (first < 32)
            return false;
        if (first >= 128 && !mUtf8 && !mPassword)
            return false;
        uint32_t code = 0;
        if (mUtf8 && DecodeValid(typed, code) != typed.size())
            return false;
        if (!mIgnore.IsEmpty() && mIgnore.Find(text) >= 0) {
            handled = true;
        } else if (CheckChar(kInsert, DecodeFirst(typed))) {
            std::string edited = mText.ToStd();
            edited.insert(static_cast<size_t>(mCursor), typed);
            mText = TString(edited);
            mCursor += static_cast<int32_t>(typed.size());
            RefreshDisplay();
            handled = true;
        }
    }
    // 6.
    if (handled)
        PostChanged();
    return handled;
}

void TTextEdit::PasteText(const TString& pasted) {
    // Each character goes through the checks a typed one does, against the
    // text pasted so far: the field's length, the fonts, the ignore list.
    const std::string_view text = pasted.View();
    int32_t characters = 0;
    for (size_t i = 0; i < text.size() && characters < mMaxLength;) {
        uint32_t code = static_cast<unsigned char>(text[i]);
        size_t length = 1;
        if (mUtf8 && code >= 0x80) {
            length = DecodeValid(text.substr(i), code);
            if (length == 0) {
                // Not UTF-8: the byte is dropped.
                ++i;
                continue;
            }
        }
        const std::string_view character = text.substr(i, length);
        i += length;
        ++characters;
        if (code < 32 || code == 127)
            continue;
        if (!mIgnore.IsEmpty() && mIgnore.View().find(character) != std::string_view::npos)
            continue;
        if (!CheckChar(kInsert, code))
            continue;
        mText = TString(mText.ToStd() + std::string(character));
    }
    SetText(TString(mText));
}

bool TTextEdit::OnKeyDown(int8_t key, uint32_t modifiers) {
    JoinEditList();
    const int32_t end = static_cast<int32_t>(mText.Length());
    if (key == kKeyLeft) {
        if (mCursor == 0) {
            AllowEdit(kRefused, key);
            return true;
        }
        if (AllowEdit(kDeleteOrMove, key)) {
            mCursor -= LengthBefore(mCursor);
            RefreshDisplay();
            return true;
        }
    } else if (key == kKeyRight) {
        if (mCursor >= end) {
            AllowEdit(kRefused, key);
            return true;
        }
        if (AllowEdit(kDeleteOrMove, key)) {
            mCursor += LengthAt(mCursor);
            RefreshDisplay();
            return true;
        }
    } else if (key == kKeyDelete) {
        if (mCursor < end) {
            std::string edited = mText.ToStd();
            edited.erase(static_cast<size_t>(mCursor), static_cast<size_t>(LengthAt(mCursor)));
            mText = TString(edited);
            RefreshDisplay();
            // Scripts hear of every change to the text.
            PostChanged();
        } else {
            AllowEdit(kRefused, key);
        }
        return true;
    } else if (key > 'Z') {
        return false;
    } else if ((key == 'V' && (modifiers & kModControl)) || key == kKeyInsert) {
        TWindowManager* manager = TWindowManager::Instance();
        if (CheckChar(kInsert, ' ') && manager && manager->GetHost()) {
            const TString pasted = manager->GetHost()->GetClipboardString();
            if (!pasted.IsEmpty() && (mUtf8 || IsSingleByteString(pasted))) {
                const TString before = mText;
                SetText(TString(""));
                PasteText(pasted);
                if (!(mText == before))
                    PostChanged();
                return true;
            }
        }
    }
    return (modifiers & (kModControl | kModAlt | kModExtended)) == 0;
}
