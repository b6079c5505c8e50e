// The current user's registry store on Linux: one SQLite database per user,
// $XDG_CONFIG_HOME/lumora/registry.sqlite3 (~/.config when the variable is
// unset or not absolute).
//
// Two tables: keys (every key's full path) and vals (the values, by their
// key's path). Names are stored as written and matched through a folded
// copy, upper-cased character by character as the registry compares names,
// so "Software\App" and "SOFTWARE\app" are one key.
//
// Several programs may use the database at once: it runs in WAL mode, each
// change is one BEGIN IMMEDIATE transaction (so two writers queue instead
// of failing half-way), and a busy store is waited for up to a few seconds.
// A commit is in the log file when it returns (synchronous=NORMAL): a
// killed program loses nothing it was told was written; only a crash of the
// whole system may take back the last writes. The disk is synced when the
// log is copied into the database, on a thread of its own.
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <condition_variable>
#include <cwctype>
#include <locale.h>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "os/Registry.h"

namespace lumora {
namespace {

constexpr int kBusyTimeoutMs = 10000;

// Owns a database connection and its transaction statements, prepared
// once.
class TSqliteDb {
 public:
  TSqliteDb() = default;
  ~TSqliteDb() {
    for (sqlite3_stmt* statement : {FBegin, FCommit, FRollback}) sqlite3_finalize(statement);
    if (FDb) sqlite3_close_v2(FDb);
  }
  TSqliteDb(const TSqliteDb&) = delete;
  TSqliteDb& operator=(const TSqliteDb&) = delete;

  bool Open(const std::string& path) {
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.c_str(), &FDb, flags, nullptr) != SQLITE_OK) {
      sqlite3_close_v2(FDb);
      FDb = nullptr;
      return false;
    }
    sqlite3_busy_timeout(FDb, kBusyTimeoutMs);
    return true;
  }
  sqlite3* Get() const { return FDb; }
  bool Exec(const char* sql) { return sqlite3_exec(FDb, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
  // BEGIN IMMEDIATE: a writer waits here for another to finish.
  bool Begin() { return Step(FBegin, "BEGIN IMMEDIATE"); }
  bool Commit() { return Step(FCommit, "COMMIT"); }
  bool Rollback() { return Step(FRollback, "ROLLBACK"); }

 private:
  bool Step(sqlite3_stmt*& statement, const char* sql) {
    if (!statement && sqlite3_prepare_v3(FDb, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
      return false;
    }
    const int result = sqlite3_step(statement);
    sqlite3_reset(statement);
    return result == SQLITE_DONE;
  }

  sqlite3* FDb = nullptr;
  sqlite3_stmt* FBegin = nullptr;
  sqlite3_stmt* FCommit = nullptr;
  sqlite3_stmt* FRollback = nullptr;
};

// Copies the write-ahead log into the database (a checkpoint) away from the
// calls, on a thread and a connection of its own: a checkpoint syncs the
// disk twice, which a page's call would otherwise wait for every so many
// writes. SQLite's own checkpoints after a commit are off for connections
// that have one of these.
class TCheckpointer {
 public:
  explicit TCheckpointer(std::string path) : FPath(std::move(path)) {}
  ~TCheckpointer() {
    {
      const std::lock_guard<std::mutex> lock(FMutex);
      FStop = true;
    }
    FWake.notify_one();
    if (FThread.joinable()) FThread.join();
  }
  TCheckpointer(const TCheckpointer&) = delete;
  TCheckpointer& operator=(const TCheckpointer&) = delete;

  // After a commit that left frames in the log: copies them in when there
  // are enough. Requests made while a copy runs make one more.
  void Committed(int frames) {
    // Once the log is long enough, and then every so many commits while it
    // cannot start over (a reader of another program still needs it).
    if (frames < kCheckpointFrames || (frames > FRequestedAt && frames < FRequestedAt + kCheckpointFrames / 8)) return;
    FRequestedAt = frames;
    {
      const std::lock_guard<std::mutex> lock(FMutex);
      FRequested = true;
    }
    if (!FThread.joinable()) FThread = std::thread([this] { Run(); });
    FWake.notify_one();
  }

 private:
  // SQLite's own threshold for its checkpoints (pages of the log).
  static constexpr int kCheckpointFrames = 1000;

  void Run() {
    TSqliteDb db;
    bool open = false;
    std::unique_lock<std::mutex> lock(FMutex);
    for (;;) {
      FWake.wait(lock, [this] { return FStop || FRequested; });
      if (FStop) return;
      FRequested = false;
      lock.unlock();
      // A connection finds the log once it has read the database.
      if (!open) open = db.Open(FPath) && db.Exec("SELECT count(*) FROM sqlite_master");
      // Passive: it copies what no reader still needs and waits for no one.
      if (open) sqlite3_wal_checkpoint_v2(db.Get(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
      lock.lock();
    }
  }

  std::string FPath;
  // The log's length at the last request (the committing thread's alone).
  int FRequestedAt = 0;
  std::mutex FMutex;
  std::condition_variable FWake;
  bool FRequested = false;
  bool FStop = false;
  std::thread FThread;
};

// A statement prepared once and kept for the connection's life, so that
// the calls pages make in a row do not compile their SQL again.
class TPrepared {
 public:
  TPrepared(sqlite3* db, const char* sql) {
    sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &FStmt, nullptr);
  }
  ~TPrepared() { sqlite3_finalize(FStmt); }
  TPrepared(const TPrepared&) = delete;
  TPrepared& operator=(const TPrepared&) = delete;
  sqlite3_stmt* Get() const { return FStmt; }

 private:
  sqlite3_stmt* FStmt = nullptr;
};

// One use of a statement: prepared for this use alone, or a kept one,
// which is reset and cleared again when the use ends.
class TStatement {
 public:
  TStatement(sqlite3* db, const char* sql) : FOwned(true) {
    if (db) sqlite3_prepare_v2(db, sql, -1, &FStmt, nullptr);
  }
  explicit TStatement(const TPrepared& kept) : FStmt(kept.Get()), FOwned(false) {}
  ~TStatement() {
    if (FOwned) {
      sqlite3_finalize(FStmt);
    } else if (FStmt) {
      sqlite3_reset(FStmt);
      sqlite3_clear_bindings(FStmt);
    }
  }
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;

  bool Ok() const { return FStmt != nullptr; }
  TStatement& Bind(int index, const std::string& text) {
    sqlite3_bind_text(FStmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  TStatement& Bind(int index, int64_t number) {
    sqlite3_bind_int64(FStmt, index, number);
    return *this;
  }
  TStatement& BindBlob(int index, const std::vector<uint8_t>& bytes) {
    // A zero-length blob, never NULL, so an empty value stays a value.
    sqlite3_bind_blob(FStmt, index, bytes.empty() ? "" : static_cast<const void*>(bytes.data()),
                      static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step() { return FStmt ? sqlite3_step(FStmt) : SQLITE_ERROR; }
  bool Run() { return Step() == SQLITE_DONE; }
  // Makes the statement ready for another row of bindings.
  void Reset() { sqlite3_reset(FStmt); }
  sqlite3_stmt* Get() const { return FStmt; }

 private:
  sqlite3_stmt* FStmt = nullptr;
  bool FOwned;
};

// A write transaction, rolled back unless committed.
class TWriteTransaction {
 public:
  explicit TWriteTransaction(TSqliteDb& db) : FDb(db) { FActive = FDb.Begin(); }
  ~TWriteTransaction() {
    if (FActive) FDb.Rollback();
  }
  TWriteTransaction(const TWriteTransaction&) = delete;
  TWriteTransaction& operator=(const TWriteTransaction&) = delete;

  bool Active() const { return FActive; }
  bool Commit() {
    if (!FActive) return false;
    FActive = false;
    if (FDb.Commit()) return true;
    FDb.Rollback();
    return false;
  }

 private:
  TSqliteDb& FDb;
  bool FActive = false;
};

// The folder holding the store: $XDG_CONFIG_HOME/lumora, else
// ~/.config/lumora with the home folder from $HOME or the passwd entry.
std::string StoreFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::string(config) + "/lumora";
  std::string home;
  if (const char* env = std::getenv("HOME"); env && env[0] == '/') {
    home = env;
  } else {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir) {
      home = found->pw_dir;
    }
  }
  if (home.empty()) return {};
  return home + "/.config/lumora";
}

// Creates path and the folders above it that are missing (mode 0700 for
// new ones). True when it is a folder afterwards.
bool MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Upper-cases each UTF-16 unit on its own, as the registry compares names;
// surrogates stay as they are.
std::string FoldName(StringView name) {
  static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  String folded(name);
  for (char16_t& c : folded) {
    if (c >= u'a' && c <= u'z') {
      c = static_cast<char16_t>(c - u'a' + u'A');
    } else if (c >= 0x80 && (c < 0xD800 || c > 0xDFFF) && utf8) {
      const wint_t upper = ::towupper_l(static_cast<wint_t>(c), utf8);
      if (upper <= 0xFFFF && (upper < 0xD800 || upper > 0xDFFF)) c = static_cast<char16_t>(upper);
    }
  }
  return ToUtf8(folded);
}

// A key path in the stored form: the single leading "\" and one trailing
// "\" dropped. nullopt when a part is empty ("a\\b"), which the registry
// refuses too.
std::optional<String> CleanKey(StringView key) {
  if (!key.empty() && key.front() == u'\\') key.remove_prefix(1);
  if (!key.empty() && key.back() == u'\\') key.remove_suffix(1);
  if (key.empty()) return String();
  if (key.front() == u'\\' || key.find(u"\\\\") != StringView::npos) return std::nullopt;
  return String(key);
}

}  // namespace

struct TRegistry::TImpl {
  TSqliteDb Db;
  bool Open = false;
  // Gone before the connection it watches.
  std::unique_ptr<TCheckpointer> Checkpointer;

  ~TImpl() {
    if (Db.Get()) sqlite3_wal_hook(Db.Get(), nullptr, nullptr);
  }
  // What pages ask for again and again, kept prepared.
  std::unique_ptr<TPrepared> KeyExists, InsertKeyRow, ReadValue, WriteValue, DeleteValue;

  bool KeyExistsFolded(const std::string& fold) {
    if (fold.empty()) return true;
    TStatement query(*KeyExists);
    return query.Ok() && query.Bind(1, fold).Step() == SQLITE_ROW;
  }
  void Prepare() {
    sqlite3* db = Db.Get();
    KeyExists = std::make_unique<TPrepared>(db, "SELECT 1 FROM keys WHERE fold = ?1");
    InsertKeyRow = std::make_unique<TPrepared>(db, "INSERT OR IGNORE INTO keys(fold, path) VALUES(?1, ?2)");
    ReadValue = std::make_unique<TPrepared>(db, "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
    // A value written again under another spelling keeps the name it was
    // made with, as the registry does; its type and data are replaced.
    WriteValue =
        std::make_unique<TPrepared>(db,
                                    "INSERT INTO vals(key, fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
                                    " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
    DeleteValue = std::make_unique<TPrepared>(db, "DELETE FROM vals WHERE key = ?1 AND fold = ?2");
  }

  // Inside a write transaction: path (a cleaned key path) and every key
  // above it that is missing, from the top down; levels that exist keep
  // their spelling.
  bool InsertKey(const String& path) {
    if (KeyExistsFolded(FoldName(path))) return true;
    TStatement insert(*InsertKeyRow);
    if (!insert.Ok()) return false;
    for (size_t end = path.find(u'\\');; end = path.find(u'\\', end + 1)) {
      const String level = path.substr(0, end);
      insert.Reset();
      if (!insert.Bind(1, FoldName(level)).Bind(2, ToUtf8(level)).Run()) return false;
      if (end == String::npos) return true;
    }
  }
  // Inside a write transaction: the value name of the key keyFold.
  bool WriteRow(const std::string& keyFold, StringView name, const TRegValue& value) {
    TStatement write(*WriteValue);
    if (!write.Ok()) return false;
    write.Bind(1, keyFold).Bind(2, FoldName(name)).Bind(3, ToUtf8(name));
    write.Bind(4, static_cast<int64_t>(value.Type)).BindBlob(5, value.Data);
    return write.Run();
  }
};

TRegistry::TRegistry() : FImpl(std::make_unique<TImpl>()) {
  const std::string folder = StoreFolder();
  if (folder.empty() || !MakeFolders(folder)) return;
  const std::string path = folder + "/registry.sqlite3";
  if (!FImpl->Db.Open(path)) return;
  // The journal mode is a property of the file: the first program sets it
  // and the rest find it set. The sync level is the connection's.
  FImpl->Db.Exec("PRAGMA journal_mode=WAL");
  // Per connection: in WAL mode a commit without an fsync still survives a
  // killed process (the log lives in the file system's cache); only a power
  // loss can take back the last commits, which is the price of fast writes.
  FImpl->Db.Exec("PRAGMA synchronous=NORMAL");
  // Creating the tables is one transaction, so a second program starting
  // at the same moment waits and then finds them.
  TWriteTransaction transaction(FImpl->Db);
  if (!transaction.Active()) return;
  if (!FImpl->Db.Exec("CREATE TABLE IF NOT EXISTS keys("
                      "  fold TEXT PRIMARY KEY,"
                      "  path TEXT NOT NULL);"
                      "CREATE TABLE IF NOT EXISTS vals("
                      "  key TEXT NOT NULL,"
                      "  fold TEXT NOT NULL,"
                      "  name TEXT NOT NULL,"
                      "  type INTEGER NOT NULL,"
                      "  data BLOB NOT NULL,"
                      "  PRIMARY KEY(key, fold));")) {
    return;
  }
  FImpl->Open = transaction.Commit();
  if (!FImpl->Open) return;
  FImpl->Prepare();
  FImpl->Checkpointer = std::make_unique<TCheckpointer>(path);
  sqlite3_wal_hook(
      FImpl->Db.Get(),
      [](void* checkpointer, sqlite3*, const char*, int frames) {
        static_cast<TCheckpointer*>(checkpointer)->Committed(frames);
        return SQLITE_OK;
      },
      FImpl->Checkpointer.get());
}

TRegistry::~TRegistry() = default;

bool TRegistry::IsOpen() const { return FImpl->Open; }

bool TRegistry::KeyExists(StringView key) {
  const auto path = CleanKey(key);
  return FImpl->Open && path && FImpl->KeyExistsFolded(FoldName(*path));
}

bool TRegistry::CreateKey(StringView key) {
  const auto path = CleanKey(key);
  if (!FImpl->Open || !path) return false;
  // A key that exists, as it mostly does, costs a read, not a write.
  if (FImpl->KeyExistsFolded(FoldName(*path))) return true;
  TWriteTransaction transaction(FImpl->Db);
  return transaction.Active() && FImpl->InsertKey(*path) && transaction.Commit();
}

std::optional<TRegValue> TRegistry::ReadValue(StringView key, StringView name) {
  const auto path = CleanKey(key);
  if (!FImpl->Open || !path) return std::nullopt;
  TStatement query(*FImpl->ReadValue);
  if (!query.Ok() || query.Bind(1, FoldName(*path)).Bind(2, FoldName(name)).Step() != SQLITE_ROW) {
    return std::nullopt;
  }
  TRegValue value;
  value.Type = static_cast<TRegType>(sqlite3_column_int64(query.Get(), 0));
  const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(query.Get(), 1));
  const int size = sqlite3_column_bytes(query.Get(), 1);
  if (bytes && size > 0) value.Data.assign(bytes, bytes + size);
  return value;
}

bool TRegistry::WriteValue(StringView key, StringView name, const TRegValue& value) {
  const auto path = CleanKey(key);
  if (!FImpl->Open || !path) return false;
  const std::string keyFold = FoldName(*path);
  TWriteTransaction transaction(FImpl->Db);
  return transaction.Active() && FImpl->KeyExistsFolded(keyFold) && FImpl->WriteRow(keyFold, name, value) &&
         transaction.Commit();
}

TRegistry::TWriteResult TRegistry::WriteValueCreatingKey(StringView key, StringView name, const TRegValue& value) {
  const auto path = CleanKey(key);
  if (!FImpl->Open || !path) return TWriteResult::KeyFailed;
  TWriteTransaction transaction(FImpl->Db);
  if (!transaction.Active() || !FImpl->InsertKey(*path)) return TWriteResult::KeyFailed;
  if (!FImpl->WriteRow(FoldName(*path), name, value) || !transaction.Commit()) return TWriteResult::WriteFailed;
  return TWriteResult::Written;
}

bool TRegistry::DeleteValue(StringView key, StringView name) {
  const auto path = CleanKey(key);
  if (!FImpl->Open || !path) return false;
  TWriteTransaction transaction(FImpl->Db);
  if (!transaction.Active()) return false;
  TStatement erase(*FImpl->DeleteValue);
  if (!erase.Ok() || !erase.Bind(1, FoldName(*path)).Bind(2, FoldName(name)).Run()) return false;
  return sqlite3_changes(FImpl->Db.Get()) > 0 && transaction.Commit();
}

bool TRegistry::DeleteKey(StringView key) {
  const auto path = CleanKey(key);
  if (!FImpl->Open || !path || path->empty()) return false;
  const std::string fold = FoldName(*path);
  TWriteTransaction transaction(FImpl->Db);
  if (!transaction.Active() || !FImpl->KeyExistsFolded(fold)) return false;
  // The key and everything below it: its own path, and every path that
  // starts with it followed by "\" (the range up to "]", the next byte).
  for (const char* sql : {"DELETE FROM vals WHERE key = ?1 OR (key > ?1 || '\\' AND key < ?1 || ']')",
                          "DELETE FROM keys WHERE fold = ?1 OR (fold > ?1 || '\\' AND fold < ?1 || ']')"}) {
    TStatement erase(FImpl->Db.Get(), sql);
    if (!erase.Ok() || !erase.Bind(1, fold).Run()) return false;
  }
  return transaction.Commit();
}

std::vector<String> TRegistry::SubKeyNames(StringView key) {
  std::vector<String> names;
  const auto path = CleanKey(key);
  if (!FImpl->Open || !path) return names;
  const std::string fold = FoldName(*path);
  const std::string prefix = fold.empty() ? std::string() : fold + "\\";
  TStatement query(FImpl->Db.Get(), "SELECT path FROM keys WHERE fold >= ?1 AND fold < ?1 || x'FF' ORDER BY fold");
  if (!query.Ok()) return names;
  query.Bind(1, prefix);
  while (query.Step() == SQLITE_ROW) {
    const std::string full(reinterpret_cast<const char*>(sqlite3_column_text(query.Get(), 0)));
    const std::string folded = FoldName(FromUtf8(full));
    if (folded.size() <= prefix.size() || folded.find('\\', prefix.size()) != std::string::npos) continue;
    names.push_back(FromUtf8(full).substr(path->empty() ? 0 : path->size() + 1));
  }
  return names;
}

}  // namespace lumora
