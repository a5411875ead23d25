#pragma once

#include "framework/core/prefs/TCipher.h"
#include "framework/core/text/TString.h"

#include <cstdint>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The preferences database: the game's persistent settings and the players'
// profiles in one file, "user:prefsdb.dat". Every installation (told apart
// by its install key) has one table of global values and an ordered list of
// players, each with a table of its own. Keys are plain text (case kept);
// values are stored enciphered with the value cipher (see TCipher.h).
//
// A player is addressed by its position in the installation's list (0 on);
// -1 is the global table. Deleting a player moves the ones behind it down.
//
// Changes are made inside one open transaction: they reach the file only
// when committed, and a crash or kill at any moment leaves the file as it
// was at the last commit. A file that is not this database (damaged, of
// another format, empty) is moved aside, never written over, and a fresh
// database starts. One that may well be good but cannot be used now (held
// by another process, unreadable, read-only, of a newer layout) is left as
// it is. When no file can be used, the values are kept in memory for the
// run, IsPersistent() says false and the log says so.
//
// A file that stops taking changes during the run (a full disk, an I/O
// error, a folder made read-only) keeps what it holds; the run goes on on a
// copy in memory that holds the file as last committed and every change
// since, the one that failed included, and the log says that changes will
// not be kept. Each later commit tries to write that copy back whole; once
// one does, the database is persistent again.
//
// Owned by the game's settings object; main thread only.
class TPrefsDB {
public:
    // Opens "user:prefsdb.dat" with the key text of the setting
    // "encryptionkey". When the player's usual data folder cannot be
    // written (GetUnwritableUserDataFolderText), the database there is read
    // into memory instead, and changes made in the run are not kept.
    explicit TPrefsDB(bool autoCommit);
    // Opens the database file at a disk path.
    TPrefsDB(const TString& path, bool autoCommit);
    // Commits when auto-commit is on; otherwise uncommitted changes are
    // dropped.
    ~TPrefsDB();
    TPrefsDB(const TPrefsDB&) = delete;
    TPrefsDB& operator=(const TPrefsDB&) = delete;

    // The deciphered value of key, or defaultText when the key or the
    // player is absent. Reading never adds players.
    TString GetValue(const TString& key, const TString& defaultText, int userIndex);
    // Stores the value (writing to a player beyond the last one adds empty
    // players up to it); commits when commit is true and the database was
    // made with auto-commit. False when the value could not be stored or
    // the commit failed; a change the file cannot take is kept in memory
    // for the run (see above) and counts as stored.
    bool SetValue(const TString& key, const TString& text, int userIndex, bool commit);
    int GetInt(const TString& key, int defaultInt, int userIndex);
    bool SetInt(const TString& key, int value, int userIndex, bool commit);

    int GetUserCount() const { return static_cast<int>(mUsers.size()); }
    // Removes a player (committed when auto-commit is on); an index that is
    // not a player changes nothing. Returns the number of players after.
    int DeleteUser(int index);

    // Commits the open transaction and begins the next one.
    bool Commit();
    // Drops every change since the last commit (a save that failed half
    // way must not reach the file with the next commit) and begins the
    // next transaction. False when no new transaction could begin.
    bool Rollback();

    bool IsPersistent() const { return mPersistent; }
    const TString& GetPath() const { return mPath; }
    // The install key whose row this database reads and writes.
    const TString& GetInstallKey() const { return mInstallKey; }
    // Raw stored bytes of a value (enciphered), for inspection tools; false
    // when the key is absent.
    bool GetStoredBytes(const TString& key, int userIndex, std::vector<uint8_t>& bytes);

    // Players beyond this many are refused, so that a stray index cannot
    // fill the file with empty players.
    static constexpr int kMaxUsers = 10000;

private:
    // One change since the file's last commit, kept so that it can be made
    // again on a copy in memory when the file stops taking changes.
    struct Change {
        TString key;
        TString text;
        int userIndex;
        bool removesUser;
    };

    // Opens the database: a copy in memory of readOnlySource when that is
    // given and can be read, else the file at mPath, else an empty database
    // in memory.
    void Open(const TString& readOnlySource);
    // Reads the database at path, left unchanged, into memory.
    bool OpenReadOnlyCopy(const TString& path);
    // Replaces the open connection with a copy of it in memory.
    bool CopyIntoMemory();
    bool Apply(const Change& change);
    // Makes a change, recording it while the file takes the changes; a
    // change the file cannot take moves the run into memory.
    bool MakeChange(const Change& change);
    bool StoreValue(const TString& key, const TString& text, int userIndex);
    bool RemoveUser(int index);
    bool IsStorageFailure() const;
    // The file failed with a storage error: goes on on a copy in memory
    // of its last commit with the recorded changes made again. False when
    // the failure was of another kind, or no copy could be made.
    bool KeepInMemory();
    // Writes the copy in memory back over the file and goes on on the file.
    bool WriteBack();
    // Ends the open transaction (the install row stored first when a
    // failure dropped it).
    bool CommitOpen();

    // Opens the file at mPath; with mayRebuild, a missing file is created and
    // one that is not this database is moved aside first.
    bool OpenFile(bool mayRebuild);
    bool OpenFresh();
    TString FreeAsideName() const;
    bool MoveAside(const char* reason);
    bool OpenInMemory(const char* reason);
    void AfterFailure();
    // Stores the install row again when a failure dropped it; false when
    // that fails too.
    bool EnsureInstall();
    bool InitSchema();
    bool OpenInstall();
    // Stores mInstallKey as "lastkey", finds or adds its install row
    // (committing a new one when commitNewRow) and lists its players.
    bool StoreInstall(bool commitNewRow);
    TString DetermineInstallKey();
    bool LoadUsers();
    bool Begin();
    bool Exec(const char* sql);
    sqlite3_stmt* Prepare(const char* sql);
    void LogError(const char* what);
    void Close();
    // The row id of the player's table, or 0 for the global table; -1 when
    // the index is out of range or, unless addPlayers, not a player yet
    // (with it, players are added up to the index).
    int64_t TableFor(int userIndex, bool addPlayers);
    bool FindValue(int64_t user, const TString& key, std::vector<uint8_t>& bytes);

    TCipherHandle mCipher = nullptr;
    TString mKeyText;
    bool mAutoCommit;
    TString mPath;
    bool mPersistent = false;
    // Running on a copy in memory since the file failed; commits try to
    // write it back.
    bool mWriteBack = false;
    // The result code of the last statement that failed.
    int mLastError = 0;
    // Changes since the file's last commit, while it is persistent.
    std::vector<Change> mChanges;
    sqlite3* mDb = nullptr;
    int64_t mInstallId = 0;
    // A failure ended the transaction that may have held the install row.
    bool mInstallPending = false;
    // Rows changed by opening; more at the end of a run that could not be
    // saved are reported.
    int mChangesAtOpen = 0;
    TString mInstallKey;
    // The row ids of the installation's players, in list order.
    std::vector<int64_t> mUsers;
};
