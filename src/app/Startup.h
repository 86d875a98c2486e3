#pragma once

class QApplication;

// When the daily backup runs: during start-up, before anything is shown (what the tests and
// small tools want), or on a worker thread once the main menu is up, so that a large ledger's
// copy never holds the menu back.
enum class BackupTiming { DuringStartUp, AfterMenuShown };

// Start-up: takes the ledger's lock (one running copy per ledger), opens db1.mdb and loads
// SKinds.txt from the working directory. On failure the reason is shown and false returned;
// nothing else is read, and a ledger open in another copy is not touched at all.
bool startUp(BackupTiming timing = BackupTiming::DuringStartUp);

// The whole run: start-up, the main menu, and the release of the store at the end.
// Returns the process exit status.
int runProgram(QApplication &app);
