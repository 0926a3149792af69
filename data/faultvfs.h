#pragma once
// FaultVfs: an SQLite file layer in front of the system's, which counts every
// step that changes an archive on disk (a write, a truncation, a sync of the
// archive or its journal, the journal's deletion) and can make one step fail,
// every step from one on fail, or the process die at one. With no plan it only
// forwards, so the program always runs through it at no visible cost.
//
// It exists to prove that an interrupted or failed write loses nothing: the
// reliability tests kill a child at its Nth step for every N, or fill the disk
// at it. A child takes its plan from the environment variable TONALBA_FAULTS:
//   count        prints "faultvfs: N steps" on stderr at exit
//   kill@N       SIGKILL at step N
//   pause@N      a second's pause at step N (another process gets in between)
//   full@N       writes from step N on fail as on a full disk
//   ioerr@N      step N fails with an I/O error, once
//   ioerr@N+     step N and every later one fail with an I/O error

#include <QString>

namespace faultvfs {

enum class Action { None, Count, Kill, Pause, FullFromStep, IoErrorOnce, IoErrorFromStep };

struct Plan
{
    Action action = Action::None;
    int step = 0;   // counted from 1
};

// Puts the layer in front of the default file layer, once; then applies the
// environment's plan, if any. Every SQLite open of ours calls it first.
void install();
// A new plan; the count starts again from 0.
void setPlan(const Plan &plan);
// Steps counted since the plan was set.
int steps();
// "kill@12" and the like; Action::None for an empty or unknown text.
Plan parse(const QString &text);

} // namespace faultvfs
