#include "framework/core/prefs/TPrefsDB.h"

#include "framework/core/files/TFile.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"

#include "platform/files/Folders.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// Marks the file as this database ("CrvP") and gives its layout version.
constexpr int kApplicationId = 0x43727650;
constexpr int kSchemaVersion = 1;

constexpr const char* kSchema =
    // The logical views: "metaglobals" (key/value rows, "lastkey" among
    // them) and "install" (one row per install key, with its global table
    // and its ordered players, each with a key/value table).
    "CREATE TABLE IF NOT EXISTS metaglobals("
    "  key TEXT PRIMARY KEY NOT NULL, value BLOB NOT NULL);"
    "CREATE TABLE IF NOT EXISTS install("
    "  id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE);"
    "CREATE TABLE IF NOT EXISTS globals("
    "  install INTEGER NOT NULL, key TEXT NOT NULL, value BLOB NOT NULL,"
    "  PRIMARY KEY(install, key)) WITHOUT ROWID;"
    // A player's place in the list is the order of its id within its
    // installation; new players get ids above every earlier one.
    "CREATE TABLE IF NOT EXISTS users("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT, install INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS users_by_install ON users(install, id);"
    "CREATE TABLE IF NOT EXISTS uservalues("
    "  user INTEGER NOT NULL, key TEXT NOT NULL, value BLOB NOT NULL,"
    "  PRIMARY KEY(user, key)) WITHOUT ROWID;";

// One prepared statement, finalised when it goes out of scope.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (!db)
            return;
        mPrepareResult = sqlite3_prepare_v2(db, sql, -1, &mStmt, nullptr);
        if (mPrepareResult != SQLITE_OK) {
            LogPrintf("TPrefsDB: cannot prepare \"%s\": %s", sql, sqlite3_errmsg(db));
            sqlite3_finalize(mStmt);
            mStmt = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(mStmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool IsValid() const { return mStmt != nullptr; }
    Statement& Bind(int index, int64_t value) {
        if (mStmt)
            sqlite3_bind_int64(mStmt, index, value);
        return *this;
    }
    Statement& Bind(int index, const TString& text) {
        if (mStmt)
            sqlite3_bind_text(mStmt, index, text.CStr(), text.Length(), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindBlob(int index, const void* data, int size) {
        // A zero-length blob still binds as a blob, not as NULL.
        if (mStmt)
            sqlite3_bind_blob(mStmt, index, size > 0 ? data : "", size, SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code; a statement that could not
    // be prepared gives the reason it could not (SQLITE_CORRUPT when the
    // schema page is damaged, SQLITE_BUSY when the file is locked).
    int Step() {
        if (mStmt)
            return sqlite3_step(mStmt);
        return mPrepareResult == SQLITE_OK ? SQLITE_ERROR : mPrepareResult;
    }
    int64_t Int(int column) const { return sqlite3_column_int64(mStmt, column); }
    TString Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(mStmt, column));
        return text ? TString(text, static_cast<size_t>(sqlite3_column_bytes(mStmt, column)))
                    : TString();
    }
    std::vector<uint8_t> Blob(int column) const {
        const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(mStmt, column));
        int size = sqlite3_column_bytes(mStmt, column);
        return data ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>();
    }

private:
    sqlite3_stmt* mStmt = nullptr;
    int mPrepareResult = SQLITE_ERROR;
};

bool PathExists(const TString& path, off_t* size) {
    struct stat info;
    if (stat(path.CStr(), &info) != 0)
        return false;
    if (size)
        *size = info.st_size;
    return true;
}

// Gives a file a new name, failing rather than replacing a file that
// already has that name. Hard links do this atomically; on file systems
// without them the name is checked first (one process owns these files).
bool MoveNoReplace(const TString& from, const TString& to) {
    if (link(from.CStr(), to.CStr()) == 0)
        return unlink(from.CStr()) == 0;
    if (errno == EEXIST || errno == ENOENT)
        return false;
    if (PathExists(to, nullptr)) {
        errno = EEXIST;
        return false;
    }
    return rename(from.CStr(), to.CStr()) == 0;
}

// Makes a rename durable: the directory entry is flushed too.
void SyncParentFolder(const TString& path) {
    std::filesystem::path parent = std::filesystem::path(path.CStr()).parent_path();
    if (parent.empty())
        parent = ".";
    int fd = open(parent.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// True for a line of the check that reports a page which could not be
// read for another reason than damage ("unable to get the page. error
// code=N" with N not a damage code).
bool UnreadablePage(const std::string& line) {
    static const char kMarker[] = "error code=";
    size_t at = line.find(kMarker);
    if (at == std::string::npos)
        return false;
    int code = std::atoi(line.c_str() + at + sizeof kMarker - 1) & 0xFF;
    return code != SQLITE_CORRUPT && code != SQLITE_NOTADB;
}

// A stored value is the text of its deciphered bytes up to the first NUL.
TString TextOf(const std::vector<uint8_t>& bytes) {
    const char* data = reinterpret_cast<const char*>(bytes.data());
    return bytes.empty() ? TString() : TString(data, strnlen(data, bytes.size()));
}

} // namespace

TPrefsDB::TPrefsDB(bool autoCommit)
    : mAutoCommit(autoCommit), mPath(ResolvePath("user:prefsdb.dat", false)) {
    TString theirs = GetUnwritableUserDataFolderText();
    Open(theirs.IsEmpty() ? TString() : theirs + "/prefsdb.dat");
}

TPrefsDB::TPrefsDB(const TString& path, bool autoCommit) : mAutoCommit(autoCommit), mPath(path) {
    Open(TString());
}

void TPrefsDB::Open(const TString& readOnlySource) {
    mKeyText = GetSetting(TSettingKey::kEncryptionKey);
    if (mKeyText.IsEmpty()) {
        // Values are then enciphered with the key an empty text yields.
        LogPrintf("ERROR: No encryption key set before TPrefsDB construction!");
    }
    mCipher = MakeCipher(mKeyText);

    const TString path = mPath;
    if (!readOnlySource.IsEmpty() && OpenReadOnlyCopy(readOnlySource) && Begin() && OpenInstall()) {
        mChangesAtOpen = sqlite3_total_changes(mDb);
        return;
    }
    Close();
    mPath = path;
    if (!mPath.IsEmpty() && OpenFile(true) && Begin() && OpenInstall()) {
        mChangesAtOpen = sqlite3_total_changes(mDb);
        return;
    }
    // The game still runs, on values that last until it ends.
    if (OpenInMemory(mPath.IsEmpty() ? "no location for the preferences file"
                                     : "the preferences file cannot be used") &&
        Begin() && OpenInstall()) {
        mChangesAtOpen = sqlite3_total_changes(mDb);
        return;
    }
    LogPrintf("TPrefsDB: cannot set up the preferences database");
    Close();
}

TPrefsDB::~TPrefsDB() {
    if (mDb && mAutoCommit)
        Commit();
    if (mDb && !mPersistent && sqlite3_total_changes(mDb) > mChangesAtOpen)
        LogPrintf("TPrefsDB: ERROR: the changes of this run were not saved (\"%s\" could not be "
                  "used)",
                  mPath.CStr());
    Close();
    DestroyCipher(mCipher);
}

void TPrefsDB::Close() {
    if (!mDb)
        return;
    // Whatever was not committed is dropped, as the journal would on the
    // next open.
    if (!sqlite3_get_autocommit(mDb))
        sqlite3_exec(mDb, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(mDb);
    mDb = nullptr;
}

void TPrefsDB::LogError(const char* what) {
    mLastError = mDb ? sqlite3_errcode(mDb) : SQLITE_ERROR;
    LogPrintf("TPrefsDB: %s failed in \"%s\": %s", what, mPath.CStr(),
              mDb ? sqlite3_errmsg(mDb) : "no database");
}

bool TPrefsDB::Exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(mDb, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    mLastError = sqlite3_errcode(mDb);
    LogPrintf("TPrefsDB: \"%.60s\" failed in \"%s\": %s", sql, mPath.CStr(),
              message ? message : "unknown error");
    sqlite3_free(message);
    return false;
}

bool TPrefsDB::OpenFile(bool mayRebuild) {
    off_t size = 0;
    if (!PathExists(mPath, &size)) {
        if (errno == ENOENT)
            return mayRebuild && OpenFresh();
        // The file may be there and fine; only a missing one is made anew.
        LogPrintf("TPrefsDB: cannot look at \"%s\": %s", mPath.CStr(), strerror(errno));
        return false;
    }
    if (size == 0)
        return mayRebuild && MoveAside("empty") && OpenFresh();

    if (sqlite3_open_v2(mPath.CStr(), &mDb, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        LogError("opening");
        sqlite3_close_v2(mDb);
        mDb = nullptr;
        return false;
    }
    sqlite3_busy_timeout(mDb, 2000);
    sqlite3_extended_result_codes(mDb, 0);

    // The first read also rolls back a transaction that a crash left open.
    Statement id(mDb, "PRAGMA application_id");
    int rc = id.Step();
    int64_t applicationId = rc == SQLITE_ROW ? id.Int(0) : 0;
    if (rc != SQLITE_ROW) {
        if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT) {
            Close();
            return mayRebuild && MoveAside("not a preferences database") && OpenFresh();
        }
        // Locked, unreadable, out of memory: the file may be fine, so it is
        // left alone.
        LogError("reading");
        Close();
        return false;
    }
    if (applicationId != kApplicationId) {
        Close();
        return mayRebuild && MoveAside("of another format") && OpenFresh();
    }
    // A check that cannot even be prepared because the schema page is
    // damaged finds a damaged file, like a check that reports damage.
    Statement check(mDb, "PRAGMA quick_check");
    rc = check.Step();
    bool damaged = rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT ||
                   (rc == SQLITE_ROW && check.Text(0).ToStd() != "ok");
    // A page that could not be read for another reason than damage (an
    // I/O error) says nothing about the file: it is left alone.
    for (; damaged && rc == SQLITE_ROW; rc = check.Step()) {
        if (UnreadablePage(check.Text(0).ToStd())) {
            rc = SQLITE_IOERR;
            damaged = false;
        }
    }
    if (damaged) {
        Close();
        return mayRebuild && MoveAside("damaged") && OpenFresh();
    }
    if (rc != SQLITE_ROW) {
        // The check could not run (locked, unreadable): the file may be
        // fine, so it is left alone.
        LogError("checking");
        Close();
        return false;
    }
    Statement version(mDb, "PRAGMA user_version");
    if (version.Step() == SQLITE_ROW && version.Int(0) > kSchemaVersion) {
        LogPrintf("TPrefsDB: \"%s\" was written by a newer build (layout %d); it is left alone",
                  mPath.CStr(), static_cast<int>(version.Int(0)));
        Close();
        return false;
    }
    if (sqlite3_db_readonly(mDb, "main") == 1) {
        LogPrintf("TPrefsDB: \"%s\" is read-only", mPath.CStr());
        // Its values are still read: the run works on a copy in memory.
        if (!CopyIntoMemory())
            return false;
        LogPrintf("TPrefsDB: changes are kept for this run only");
        return true;
    }
    if (!Exec("PRAGMA synchronous=FULL") || !Exec("PRAGMA journal_mode=DELETE")) {
        Close();
        return false;
    }
    mPersistent = true;
    return true;
}

bool TPrefsDB::CopyIntoMemory() {
    sqlite3* memory = nullptr;
    bool copied = false;
    if (sqlite3_open(":memory:", &memory) == SQLITE_OK) {
        sqlite3_backup* backup = sqlite3_backup_init(memory, "main", mDb, "main");
        copied = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
        sqlite3_backup_finish(backup);
    }
    if (!copied)
        LogPrintf("TPrefsDB: cannot copy \"%s\" into memory: %s", mPath.CStr(),
                  memory ? sqlite3_errmsg(memory) : "out of memory");
    Close();
    if (!copied) {
        sqlite3_close_v2(memory);
        return false;
    }
    mDb = memory;
    mPersistent = false;
    return true;
}

bool TPrefsDB::OpenReadOnlyCopy(const TString& path) {
    if (!PathExists(path, nullptr))
        return false;
    if (sqlite3_open_v2(path.CStr(), &mDb, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        LogPrintf("TPrefsDB: cannot read \"%s\": %s", path.CStr(), sqlite3_errmsg(mDb));
        Close();
        return false;
    }
    // Only a whole database of ours, of a layout this build reads.
    Statement id(mDb, "PRAGMA application_id");
    Statement version(mDb, "PRAGMA user_version");
    Statement check(mDb, "PRAGMA quick_check");
    bool usable = id.Step() == SQLITE_ROW && id.Int(0) == kApplicationId &&
                  version.Step() == SQLITE_ROW && version.Int(0) <= kSchemaVersion &&
                  check.Step() == SQLITE_ROW && check.Text(0).ToStd() == "ok";
    if (!usable) {
        LogPrintf("TPrefsDB: \"%s\" cannot be read as a preferences database: %s", path.CStr(),
                  sqlite3_errmsg(mDb));
        Close();
        return false;
    }
    if (!CopyIntoMemory())
        return false;
    LogPrintf("TPrefsDB: the data folder cannot be written; the players and settings are read "
              "from \"%s\", and changes made in this run will not be kept",
              path.CStr());
    std::fprintf(stderr,
                 "The players and settings are read from %s, whose folder cannot be written: "
                 "changes made in this run will not be kept.\n",
                 path.CStr());
    std::fflush(stderr);
    mPath = path;
    return true;
}

TString TPrefsDB::FreeAsideName() const {
    TString aside;
    for (int n = 1; n < 1000; ++n) {
        aside = mPath + TString::Format(".bad%d", n);
        if (!PathExists(aside, nullptr) && !PathExists(aside + "-journal", nullptr))
            break;
    }
    return aside;
}

bool TPrefsDB::MoveAside(const char* reason) {
    TString aside = FreeAsideName();
    if (!MoveNoReplace(mPath, aside)) {
        LogPrintf("TPrefsDB: \"%s\" is %s and cannot be moved aside: %s", mPath.CStr(), reason,
                  strerror(errno));
        return false;
    }
    // A journal that belonged to that file must not be played into the new
    // one.
    TString journal = mPath + "-journal";
    if (PathExists(journal, nullptr) && !MoveNoReplace(journal, aside + "-journal")) {
        LogPrintf("TPrefsDB: cannot move \"%s\" aside: %s", journal.CStr(), strerror(errno));
        return false;
    }
    SyncParentFolder(mPath);
    LogPrintf("TPrefsDB: \"%s\" is %s; moved it to \"%s\" and started a fresh database",
              mPath.CStr(), reason, aside.CStr());
    return true;
}

bool TPrefsDB::OpenFresh() {
    std::filesystem::path parent = std::filesystem::path(mPath.CStr()).parent_path();
    if (!parent.empty())
        platform::MakeFolderLevels(parent.string());

    // Built complete under a second name, then linked in place, so that the
    // real name never holds a half-made file.
    // A journal without its database must not be played into the new one.
    TString journal = mPath + "-journal";
    if (PathExists(journal, nullptr)) {
        TString aside = FreeAsideName() + "-journal";
        if (!MoveNoReplace(journal, aside)) {
            LogPrintf("TPrefsDB: cannot move \"%s\" aside: %s", journal.CStr(), strerror(errno));
            return false;
        }
        LogPrintf("TPrefsDB: \"%s\" had no database; moved it to \"%s\"", journal.CStr(),
                  aside.CStr());
    }

    TString building = mPath + ".new";
    unlink(building.CStr());
    unlink((building + "-journal").CStr());
    sqlite3* db = nullptr;
    bool built = sqlite3_open_v2(building.CStr(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                 nullptr) == SQLITE_OK;
    if (built) {
        mDb = db;
        built = InitSchema();
        mDb = nullptr;
    } else {
        LogPrintf("TPrefsDB: cannot create \"%s\": %s", building.CStr(), sqlite3_errmsg(db));
    }
    sqlite3_close_v2(db);
    if (!built) {
        unlink(building.CStr());
        return false;
    }
    if (!MoveNoReplace(building, mPath)) {
        LogPrintf("TPrefsDB: cannot put \"%s\" in place: %s", mPath.CStr(), strerror(errno));
        unlink(building.CStr());
        return false;
    }
    SyncParentFolder(mPath);
    return OpenFile(false);
}

bool TPrefsDB::OpenInMemory(const char* reason) {
    LogPrintf("TPrefsDB: %s (\"%s\"); values are kept in memory for this run only", reason,
              mPath.CStr());
    Close();
    mPersistent = false;
    if (sqlite3_open(":memory:", &mDb) != SQLITE_OK) {
        Close();
        return false;
    }
    if (!InitSchema()) {
        Close();
        return false;
    }
    return true;
}

bool TPrefsDB::InitSchema() {
    std::string sql = "BEGIN;";
    sql += kSchema;
    sql += "PRAGMA application_id=" + std::to_string(kApplicationId) + ";";
    sql += "PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";";
    sql += "COMMIT;";
    if (Exec(sql.c_str()))
        return true;
    sqlite3_exec(mDb, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

bool TPrefsDB::Begin() {
    return Exec("BEGIN");
}

TString TPrefsDB::DetermineInstallKey() {
    TString key = "unknown";
    TFile* file = FileOpen("install.txt", 1);
    if (file) {
        int32_t size = file->GetSize();
        if (size >= 1) {
            std::string content(static_cast<size_t>(size), '\0');
            int32_t read = FileRead(file, content.data(), size);
            content.resize(static_cast<size_t>(read > 0 ? read : 0));
            TString text(content);
            text.ToLower();
            key = EncryptText(mCipher, text);
        } else {
            // An empty file keeps the key that was used last.
            Statement last(mDb, "SELECT value FROM metaglobals WHERE key='lastkey'");
            if (last.Step() == SQLITE_ROW) {
                std::vector<uint8_t> bytes = last.Blob(0);
                std::string text(bytes.begin(), bytes.end());
                key = TString(text.c_str());
            }
        }
        FileClose(file);
    } else {
        TString setting = GetSetting(TSettingKey::kInstallKey);
        setting.ToLower();
        if (setting.IsEmpty())
            setting = "unknown";
        key = EncryptText(mCipher, setting);
    }
    return key;
}

bool TPrefsDB::OpenInstall() {
    mInstallKey = DetermineInstallKey();
    return StoreInstall(mAutoCommit);
}

bool TPrefsDB::StoreInstall(bool commitNewRow) {
    // "lastkey" holds the install key in use, with its NUL, not enciphered.
    std::string lastKey(mInstallKey.CStr(), static_cast<size_t>(mInstallKey.Length()) + 1);
    Statement setLast(mDb, "INSERT INTO metaglobals(key, value) VALUES('lastkey', ?1) "
                           "ON CONFLICT(key) DO UPDATE SET value=excluded.value");
    setLast.BindBlob(1, lastKey.data(), static_cast<int>(lastKey.size()));
    if (setLast.Step() != SQLITE_DONE) {
        LogError("storing the install key");
        return false;
    }

    Statement find(mDb, "SELECT id FROM install WHERE key=?1");
    find.Bind(1, mInstallKey);
    int rc = find.Step();
    if (rc == SQLITE_ROW) {
        mInstallId = find.Int(0);
    } else if (rc == SQLITE_DONE) {
        Statement add(mDb, "INSERT INTO install(key) VALUES(?1)");
        add.Bind(1, mInstallKey);
        if (add.Step() != SQLITE_DONE) {
            LogError("adding the installation");
            return false;
        }
        mInstallId = sqlite3_last_insert_rowid(mDb);
        if (commitNewRow && !Commit())
            return false;
    } else {
        LogError("finding the installation");
        return false;
    }
    return LoadUsers();
}

bool TPrefsDB::LoadUsers() {
    mUsers.clear();
    Statement list(mDb, "SELECT id FROM users WHERE install=?1 ORDER BY id");
    list.Bind(1, mInstallId);
    int rc;
    while ((rc = list.Step()) == SQLITE_ROW)
        mUsers.push_back(list.Int(0));
    if (rc != SQLITE_DONE) {
        LogError("listing the players");
        return false;
    }
    return true;
}

bool TPrefsDB::IsStorageFailure() const {
    switch (mLastError) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return true;
    default:
        return false;
    }
}

void TPrefsDB::AfterFailure() {
    // Some failures (a full disk, an I/O error) end the open transaction
    // and with it every change since the last commit.
    if (mDb && sqlite3_get_autocommit(mDb)) {
        // A file that stops taking changes keeps them in memory instead.
        if (!(mPersistent && IsStorageFailure())) {
            LogPrintf("TPrefsDB: changes since the last commit of \"%s\" were lost", mPath.CStr());
            mChanges.clear();
        }
        // The install row and "lastkey" may have been among them: they are
        // stored again before the next read or change.
        mInstallPending = true;
        LoadUsers();
    }
}

bool TPrefsDB::EnsureInstall() {
    if (!mInstallPending)
        return true;
    if (sqlite3_get_autocommit(mDb) && !Begin())
        return false;
    if (!StoreInstall(false)) {
        AfterFailure();
        return false;
    }
    mInstallPending = false;
    return true;
}

bool TPrefsDB::KeepInMemory() {
    if (!mPersistent || !IsStorageFailure())
        return false;
    LogPrintf("TPrefsDB: ERROR: cannot save to \"%s\" (%s); what it holds stays as it is, and "
              "changes are kept for this run only: they will not be kept unless saving works "
              "again before the game ends",
              mPath.CStr(), sqlite3_errstr(mLastError));
    // The file goes back to its last commit, and a copy of that takes the
    // changes made since.
    if (!sqlite3_get_autocommit(mDb))
        sqlite3_exec(mDb, "ROLLBACK", nullptr, nullptr, nullptr);
    std::vector<Change> changes;
    changes.swap(mChanges);
    // Without a copy, the run goes on on its own changes alone, which must
    // never be written over the file.
    const bool copied = CopyIntoMemory();
    if (!copied && !OpenInMemory("the preferences file cannot be read either"))
        return false;
    mWriteBack = copied;
    // Whatever happens now, the run has changes the file does not hold.
    mChangesAtOpen = -1;
    mInstallPending = true;
    if (!Begin() || !EnsureInstall())
        return false;
    bool applied = true;
    for (const Change& change : changes)
        applied = Apply(change) && applied;
    return applied;
}

bool TPrefsDB::WriteBack() {
    sqlite3* file = nullptr;
    bool written =
        sqlite3_open_v2(mPath.CStr(), &file, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_exec(file, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (written) {
        // One transaction on the file: it takes the whole copy or stays as
        // it is.
        sqlite3_backup* backup = sqlite3_backup_init(file, "main", mDb, "main");
        written = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
        written = sqlite3_backup_finish(backup) == SQLITE_OK && written;
    }
    if (!written) {
        sqlite3_close_v2(file);
        return false;
    }
    Close();
    mDb = file;
    sqlite3_busy_timeout(mDb, 2000);
    sqlite3_extended_result_codes(mDb, 0);
    mPersistent = true;
    mWriteBack = false;
    mChangesAtOpen = sqlite3_total_changes(mDb);
    LogPrintf("TPrefsDB: \"%s\" can be written again; the changes of this run are saved in it",
              mPath.CStr());
    return LoadUsers();
}

bool TPrefsDB::CommitOpen() {
    if (!EnsureInstall())
        return false;
    if (sqlite3_get_autocommit(mDb) == 0 && !Exec("COMMIT")) {
        AfterFailure();
        return false;
    }
    return true;
}

bool TPrefsDB::Commit() {
    if (!mDb)
        return false;
    mLastError = SQLITE_OK;
    if (!CommitOpen() && !(KeepInMemory() && CommitOpen()))
        return false;
    mChanges.clear();
    if (mWriteBack)
        WriteBack();
    return Begin();
}

bool TPrefsDB::Rollback() {
    if (!mDb)
        return false;
    if (sqlite3_get_autocommit(mDb) == 0)
        sqlite3_exec(mDb, "ROLLBACK", nullptr, nullptr, nullptr);
    mChanges.clear();
    // Players added and the install row stored since the last commit went
    // with it: the list is read again, the install row stored again before
    // the next use.
    mInstallPending = true;
    LoadUsers();
    return Begin();
}

int64_t TPrefsDB::TableFor(int userIndex, bool addPlayers) {
    if (!EnsureInstall())
        return -1;
    if (userIndex == -1)
        return 0;
    if (userIndex < 0 || userIndex >= kMaxUsers) {
        LogPrintf("TPrefsDB: no player %d", userIndex);
        return -1;
    }
    // A read of a player that does not exist answers its default: were the
    // player made here, the next write would commit a nameless one.
    if (!addPlayers && userIndex >= GetUserCount())
        return -1;
    while (static_cast<int>(mUsers.size()) <= userIndex) {
        Statement add(mDb, "INSERT INTO users(install) VALUES(?1)");
        add.Bind(1, mInstallId);
        if (add.Step() != SQLITE_DONE) {
            LogError("adding a player");
            AfterFailure();
            return -1;
        }
        mUsers.push_back(sqlite3_last_insert_rowid(mDb));
    }
    return mUsers[static_cast<size_t>(userIndex)];
}

bool TPrefsDB::FindValue(int64_t user, const TString& key, std::vector<uint8_t>& bytes) {
    const char* sql = user == 0 ? "SELECT value FROM globals WHERE install=?1 AND key=?2"
                                : "SELECT value FROM uservalues WHERE user=?1 AND key=?2";
    Statement find(mDb, sql);
    find.Bind(1, user == 0 ? mInstallId : user).Bind(2, key);
    int rc = find.Step();
    if (rc == SQLITE_ROW) {
        bytes = find.Blob(0);
        return true;
    }
    if (rc != SQLITE_DONE)
        LogError("reading a value");
    return false;
}

TString TPrefsDB::GetValue(const TString& key, const TString& defaultText, int userIndex) {
    if (!mDb)
        return defaultText;
    int64_t user = TableFor(userIndex, false);
    std::vector<uint8_t> bytes;
    if (user < 0 || !FindValue(user, key, bytes))
        return defaultText;
    return TextOf(DecryptToBytes(mCipher, bytes.data(), static_cast<int>(bytes.size()), false));
}

bool TPrefsDB::GetStoredBytes(const TString& key, int userIndex, std::vector<uint8_t>& bytes) {
    if (!mDb)
        return false;
    int64_t user = TableFor(userIndex, false);
    return user >= 0 && FindValue(user, key, bytes);
}

bool TPrefsDB::StoreValue(const TString& key, const TString& text, int userIndex) {
    int64_t user = TableFor(userIndex, true);
    if (user < 0)
        return false;
    std::vector<uint8_t> bytes = EncryptToBytes(mCipher, text.CStr(), text.Length(), false);
    const char* sql = user == 0 ? "INSERT INTO globals(install, key, value) VALUES(?1, ?2, ?3) "
                                  "ON CONFLICT(install, key) DO UPDATE SET value=excluded.value"
                                : "INSERT INTO uservalues(user, key, value) VALUES(?1, ?2, ?3) "
                                  "ON CONFLICT(user, key) DO UPDATE SET value=excluded.value";
    Statement store(mDb, sql);
    store.Bind(1, user == 0 ? mInstallId : user)
        .Bind(2, key)
        .BindBlob(3, bytes.data(), static_cast<int>(bytes.size()));
    if (store.Step() != SQLITE_DONE) {
        LogError("storing a value");
        AfterFailure();
        return false;
    }
    return true;
}

bool TPrefsDB::RemoveUser(int index) {
    if (!EnsureInstall() || index < 0 || index >= GetUserCount())
        return false;
    int64_t user = mUsers[static_cast<size_t>(index)];
    Statement values(mDb, "DELETE FROM uservalues WHERE user=?1");
    values.Bind(1, user);
    Statement row(mDb, "DELETE FROM users WHERE id=?1");
    row.Bind(1, user);
    if (values.Step() != SQLITE_DONE || row.Step() != SQLITE_DONE) {
        LogError("removing a player");
        AfterFailure();
        return false;
    }
    mUsers.erase(mUsers.begin() + index);
    return true;
}

bool TPrefsDB::Apply(const Change& change) {
    return change.removesUser ? RemoveUser(change.userIndex)
                              : StoreValue(change.key, change.text, change.userIndex);
}

bool TPrefsDB::MakeChange(const Change& change) {
    mLastError = SQLITE_OK;
    bool made = Apply(change);
    if (made || (mPersistent && IsStorageFailure())) {
        // Kept until the file has it, to be made again should it fail.
        if (mPersistent)
            mChanges.push_back(change);
        if (!made)
            made = KeepInMemory();
    }
    return made;
}

bool TPrefsDB::SetValue(const TString& key, const TString& text, int userIndex, bool commit) {
    if (!mDb || !MakeChange({key, text, userIndex, false}))
        return false;
    if (commit && mAutoCommit)
        return Commit();
    return true;
}

int TPrefsDB::GetInt(const TString& key, int defaultInt, int userIndex) {
    return GetValue(key, TString::Format("%d", defaultInt), userIndex).ToInt();
}

bool TPrefsDB::SetInt(const TString& key, int value, int userIndex, bool commit) {
    return SetValue(key, TString::Format("%d", value), userIndex, commit);
}

int TPrefsDB::DeleteUser(int index) {
    if (!mDb || index < 0 || index >= GetUserCount())
        return GetUserCount();
    if (MakeChange({TString(), TString(), index, true}) && mAutoCommit)
        Commit();
    return GetUserCount();
}
