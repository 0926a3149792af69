#include "data/faultvfs.h"

#include <QRegularExpression>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>   // std::call_once
#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

namespace faultvfs {
namespace {

sqlite3_vfs *g_real = nullptr;
std::atomic<int> g_steps{0};
// The plan, read on every write: two atomics, no lock on the program's path.
std::atomic<int> g_action{int(Action::None)};
std::atomic<int> g_planStep{0};

struct File
{
    sqlite3_file base;
    bool counted;          // the archive or its journal, not SQLite's temporary files
    sqlite3_file *real() { return reinterpret_cast<sqlite3_file *>(this + 1); }
};

// SQLITE_OK to go on; otherwise the code the step fails with. A full disk
// refuses only writes: truncating, syncing and deleting still work there.
int step(int ioError, bool write = false)
{
    const int n = ++g_steps;
    const Action action = Action(g_action.load(std::memory_order_relaxed));
    const int at = g_planStep.load(std::memory_order_relaxed);
    switch (action) {
    case Action::None:
    case Action::Count:
        return SQLITE_OK;
    case Action::Kill:
        if (n == at) ::kill(::getpid(), SIGKILL);
        return SQLITE_OK;
    case Action::Pause:
        if (n == at) ::usleep(1000 * 1000);
        return SQLITE_OK;
    case Action::FullFromStep:
        return write && n >= at ? SQLITE_FULL : SQLITE_OK;
    case Action::IoErrorOnce:
        return n == at ? ioError : SQLITE_OK;
    case Action::IoErrorFromStep:
        return n >= at ? ioError : SQLITE_OK;
    }
    return SQLITE_OK;
}

int xClose(sqlite3_file *f)
{
    File *s = reinterpret_cast<File *>(f);
    const int rc = s->real()->pMethods ? s->real()->pMethods->xClose(s->real()) : SQLITE_OK;
    return rc;
}
int xRead(sqlite3_file *f, void *buf, int amount, sqlite3_int64 offset)
{
    File *s = reinterpret_cast<File *>(f);
    return s->real()->pMethods->xRead(s->real(), buf, amount, offset);
}
int xWrite(sqlite3_file *f, const void *buf, int amount, sqlite3_int64 offset)
{
    File *s = reinterpret_cast<File *>(f);
    if (s->counted)
        if (const int rc = step(SQLITE_IOERR_WRITE, true)) return rc;
    return s->real()->pMethods->xWrite(s->real(), buf, amount, offset);
}
int xTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    File *s = reinterpret_cast<File *>(f);
    if (s->counted)
        if (const int rc = step(SQLITE_IOERR_TRUNCATE)) return rc;
    return s->real()->pMethods->xTruncate(s->real(), size);
}
int xSync(sqlite3_file *f, int flags)
{
    File *s = reinterpret_cast<File *>(f);
    if (s->counted)
        if (const int rc = step(SQLITE_IOERR_FSYNC)) return rc;
    return s->real()->pMethods->xSync(s->real(), flags);
}
int xFileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    File *s = reinterpret_cast<File *>(f);
    return s->real()->pMethods->xFileSize(s->real(), size);
}
int xLock(sqlite3_file *f, int level)
{
    File *s = reinterpret_cast<File *>(f);
    return s->real()->pMethods->xLock(s->real(), level);
}
int xUnlock(sqlite3_file *f, int level)
{
    File *s = reinterpret_cast<File *>(f);
    return s->real()->pMethods->xUnlock(s->real(), level);
}
int xCheckReservedLock(sqlite3_file *f, int *out)
{
    File *s = reinterpret_cast<File *>(f);
    return s->real()->pMethods->xCheckReservedLock(s->real(), out);
}
int xFileControl(sqlite3_file *f, int op, void *arg)
{
    File *s = reinterpret_cast<File *>(f);
    return s->real()->pMethods->xFileControl(s->real(), op, arg);
}
int xSectorSize(sqlite3_file *f)
{
    File *s = reinterpret_cast<File *>(f);
    return s->real()->pMethods->xSectorSize(s->real());
}
int xDeviceCharacteristics(sqlite3_file *f)
{
    File *s = reinterpret_cast<File *>(f);
    return s->real()->pMethods->xDeviceCharacteristics(s->real());
}
int xShmMap(sqlite3_file *f, int region, int size, int extend, void volatile **out)
{
    File *s = reinterpret_cast<File *>(f);
    return s->real()->pMethods->xShmMap(s->real(), region, size, extend, out);
}
int xShmLock(sqlite3_file *f, int offset, int n, int flags)
{
    File *s = reinterpret_cast<File *>(f);
    return s->real()->pMethods->xShmLock(s->real(), offset, n, flags);
}
void xShmBarrier(sqlite3_file *f)
{
    File *s = reinterpret_cast<File *>(f);
    s->real()->pMethods->xShmBarrier(s->real());
}
int xShmUnmap(sqlite3_file *f, int deleteFlag)
{
    File *s = reinterpret_cast<File *>(f);
    return s->real()->pMethods->xShmUnmap(s->real(), deleteFlag);
}
int xFetch(sqlite3_file *f, sqlite3_int64 offset, int amount, void **out)
{
    File *s = reinterpret_cast<File *>(f);
    return s->real()->pMethods->xFetch(s->real(), offset, amount, out);
}
int xUnfetch(sqlite3_file *f, sqlite3_int64 offset, void *p)
{
    File *s = reinterpret_cast<File *>(f);
    return s->real()->pMethods->xUnfetch(s->real(), offset, p);
}

// Version 3 methods, but only as far as the system's file offers them.
sqlite3_io_methods g_methods[4];

const sqlite3_io_methods *methodsFor(const sqlite3_io_methods *real)
{
    const int version = real->iVersion < 3 ? real->iVersion : 3;
    sqlite3_io_methods &m = g_methods[version];
    if (m.iVersion == version && m.xClose) return &m;
    m = sqlite3_io_methods{};
    m.iVersion = version;
    m.xClose = xClose;
    m.xRead = xRead;
    m.xWrite = xWrite;
    m.xTruncate = xTruncate;
    m.xSync = xSync;
    m.xFileSize = xFileSize;
    m.xLock = xLock;
    m.xUnlock = xUnlock;
    m.xCheckReservedLock = xCheckReservedLock;
    m.xFileControl = xFileControl;
    m.xSectorSize = xSectorSize;
    m.xDeviceCharacteristics = xDeviceCharacteristics;
    if (version >= 2) {
        m.xShmMap = xShmMap;
        m.xShmLock = xShmLock;
        m.xShmBarrier = xShmBarrier;
        m.xShmUnmap = xShmUnmap;
    }
    if (version >= 3) {
        m.xFetch = xFetch;
        m.xUnfetch = xUnfetch;
    }
    return &m;
}

int vfsOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *f, int flags, int *outFlags)
{
    File *s = reinterpret_cast<File *>(f);
    s->base.pMethods = nullptr;
    s->counted = (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL)) != 0;
    const int rc = g_real->xOpen(g_real, name, s->real(), flags, outFlags);
    if (s->real()->pMethods) s->base.pMethods = methodsFor(s->real()->pMethods);
    return rc;
}
int vfsDelete(sqlite3_vfs *, const char *name, int syncDir)
{
    // Deleting the journal is the moment a transaction commits.
    if (const int rc = step(SQLITE_IOERR_DELETE)) return rc;
    return g_real->xDelete(g_real, name, syncDir);
}
int vfsAccess(sqlite3_vfs *, const char *name, int flags, int *out) { return g_real->xAccess(g_real, name, flags, out); }
int vfsFullPathname(sqlite3_vfs *, const char *name, int n, char *out) { return g_real->xFullPathname(g_real, name, n, out); }
void *vfsDlOpen(sqlite3_vfs *, const char *name) { return g_real->xDlOpen(g_real, name); }
void vfsDlError(sqlite3_vfs *, int n, char *out) { g_real->xDlError(g_real, n, out); }
void (*vfsDlSym(sqlite3_vfs *, void *h, const char *sym))(void) { return g_real->xDlSym(g_real, h, sym); }
void vfsDlClose(sqlite3_vfs *, void *h) { g_real->xDlClose(g_real, h); }
int vfsRandomness(sqlite3_vfs *, int n, char *out) { return g_real->xRandomness(g_real, n, out); }
int vfsSleep(sqlite3_vfs *, int us) { return g_real->xSleep(g_real, us); }
int vfsCurrentTime(sqlite3_vfs *, double *out) { return g_real->xCurrentTime(g_real, out); }
int vfsGetLastError(sqlite3_vfs *, int n, char *out) { return g_real->xGetLastError ? g_real->xGetLastError(g_real, n, out) : 0; }
int vfsCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *out) { return g_real->xCurrentTimeInt64(g_real, out); }
int vfsSetSystemCall(sqlite3_vfs *, const char *name, sqlite3_syscall_ptr p) { return g_real->xSetSystemCall(g_real, name, p); }
sqlite3_syscall_ptr vfsGetSystemCall(sqlite3_vfs *, const char *name) { return g_real->xGetSystemCall(g_real, name); }
const char *vfsNextSystemCall(sqlite3_vfs *, const char *name) { return g_real->xNextSystemCall(g_real, name); }

sqlite3_vfs g_vfs;

void printCount() { std::fprintf(stderr, "faultvfs: %d steps\n", g_steps.load()); }

} // namespace

Plan parse(const QString &text)
{
    Plan plan;
    if (text == QLatin1String("count")) {
        plan.action = Action::Count;
        return plan;
    }
    static const QRegularExpression re(QStringLiteral("^(kill|pause|full|ioerr)@([0-9]+)(\\+?)$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch()) return plan;
    plan.step = m.captured(2).toInt();
    const QString what = m.captured(1);
    const bool always = !m.captured(3).isEmpty();
    if (what == QLatin1String("kill")) plan.action = Action::Kill;
    else if (what == QLatin1String("pause")) plan.action = Action::Pause;
    else if (what == QLatin1String("full")) plan.action = Action::FullFromStep;
    else plan.action = always ? Action::IoErrorFromStep : Action::IoErrorOnce;
    return plan;
}

void install()
{
    static std::once_flag once;
    std::call_once(once, [] {
        sqlite3_initialize();
        g_real = sqlite3_vfs_find(nullptr);
        if (!g_real) return;
        g_vfs = sqlite3_vfs{};
        g_vfs.iVersion = g_real->iVersion < 3 ? g_real->iVersion : 3;
        g_vfs.szOsFile = int(sizeof(File)) + g_real->szOsFile;
        g_vfs.mxPathname = g_real->mxPathname;
        g_vfs.zName = "tonalba-faults";
        g_vfs.xOpen = vfsOpen;
        g_vfs.xDelete = vfsDelete;
        g_vfs.xAccess = vfsAccess;
        g_vfs.xFullPathname = vfsFullPathname;
        g_vfs.xDlOpen = vfsDlOpen;
        g_vfs.xDlError = vfsDlError;
        g_vfs.xDlSym = vfsDlSym;
        g_vfs.xDlClose = vfsDlClose;
        g_vfs.xRandomness = vfsRandomness;
        g_vfs.xSleep = vfsSleep;
        g_vfs.xCurrentTime = vfsCurrentTime;
        g_vfs.xGetLastError = vfsGetLastError;
        if (g_vfs.iVersion >= 2) g_vfs.xCurrentTimeInt64 = vfsCurrentTimeInt64;
        if (g_vfs.iVersion >= 3) {
            g_vfs.xSetSystemCall = vfsSetSystemCall;
            g_vfs.xGetSystemCall = vfsGetSystemCall;
            g_vfs.xNextSystemCall = vfsNextSystemCall;
        }
        sqlite3_vfs_register(&g_vfs, 1);
        const QString env = qEnvironmentVariable("TONALBA_FAULTS");
        if (env.isEmpty()) return;
        const Plan plan = parse(env);
        setPlan(plan);
        if (plan.action == Action::Count) std::atexit(printCount);
    });
}

void setPlan(const Plan &plan)
{
    g_action = int(Action::None);
    g_steps = 0;
    g_planStep = plan.step;
    g_action = int(plan.action);
}

int steps() { return g_steps.load(); }

} // namespace faultvfs
