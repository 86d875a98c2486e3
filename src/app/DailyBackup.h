#pragma once

#include "store/Backup.h"

#include <memory>

class QThread;
class QWidget;

// Tells how a backup went, in a box over parent: nothing when all went well.
void tellBackupOutcome(QWidget *parent, const Backup::Outcome &outcome);

// The day's backup of the open ledger, made on a worker thread once the main menu is up.
// Its outcome is told once: on the window thread as soon as the copy ends, or else by
// finish(), which the program calls when the main menu closes.
class DailyBackup
{
public:
    explicit DailyBackup(QWidget *parent);
    ~DailyBackup();
    DailyBackup(const DailyBackup &) = delete;
    DailyBackup &operator=(const DailyBackup &) = delete;

    bool running() const;
    // Waits for the copy (saying so when it takes a while) and tells a failure not yet told.
    void finish();

    struct State;

private:
    QThread *m_worker = nullptr;
    std::shared_ptr<State> m_state;
};
