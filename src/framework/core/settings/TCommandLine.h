#pragma once

#include "framework/core/text/TString.h"

// The program's command line as one text: the arguments behind the program
// name, joined by single blanks. Every switch ("-wnd=", "--cheat",
// "options=" ...) is found by a case-sensitive search anywhere in that
// text, and its value is the text right behind it. The application main
// records the process's command line once at start; readers take a copy.
class TCommandLine {
public:
    TCommandLine() = default;
    explicit TCommandLine(const TString& text) : mText(text) {}
    // argv[1] to argv[argc - 1] joined by blanks, as the program would have
    // received its command line on Windows; argv[0], the program file, is
    // not part of it. An argument with a blank, a tab or a double quote
    // comes back quoted: a switch with a value ("-wd=/my dir") has its value
    // quoted (-wd="/my dir"), anything else is quoted whole; an empty
    // argument becomes "". Inside the quotes a double quote is written \"
    // and the backslashes in front of it, or of the closing quote, doubled.
    static TCommandLine FromArguments(int argc, const char* const* argv);
    // The form that one argument takes in the joined text.
    static TString QuoteArgument(const char* argument);

    static void SetProcessCommandLine(const TCommandLine& commandLine);
    static TCommandLine GetProcessCommandLine();

    const TString& GetText() const { return mText; }

    // Index of the first occurrence of the switch, or -1 (also for an
    // empty name).
    int FindSwitch(const char* name) const;
    bool HasSwitch(const char* name) const { return FindSwitch(name) >= 0; }

    // The text behind the switch to the end of the command line; empty when
    // the switch is absent. At most maxLength bytes when maxLength >= 0.
    TString GetValue(const char* name, int maxLength = -1) const;
    // The text behind the switch up to the first blank (or the end); at
    // most maxLength bytes when maxLength >= 0.
    TString GetWord(const char* name, int maxLength = -1) const;
    // A folder or file behind the switch: when the text behind it starts
    // with a double quote, the text up to the next double quote (or the end
    // when there is none), where \" stands for a quote inside it and 2n
    // backslashes in front of a quote for n; else the text up to the first
    // blank. Empty when the switch is absent or nothing follows it.
    TString GetPathValue(const char* name) const;
    // The code of "--cheat": from one character behind the switch (the
    // separator, whatever it is, is skipped) to the first blank.
    TString GetCheatCode() const;

    // Settings taken from the command line:
    // "-url=" -> "downloadurl", the text behind the switch up to the first blank.
    void StoreDownloadUrl() const;
    // "--stringtest" -> "stringtest" = "1".
    void StoreStringTest() const;
    // "--cheat" -> "cheatcode".
    void StoreCheatCode() const;
    // "options=" -> each of its pairs stored as a setting; pairs that start
    // with a double quote are read as a quoted path value is.
    void StoreOptions() const;

    // Stores the pairs of an "options=" text (the part behind the switch):
    // "name=value" pairs separated by "&" or, in a pair without "&" behind
    // it, by a blank. Stops at a leading blank or at a pair without "=".
    static void StoreOptionPairs(const TString& pairs);

private:
    TString mText;
};
