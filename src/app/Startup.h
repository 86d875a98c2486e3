#pragma once

class QApplication;

// Start-up: opens db1.mdb and loads SKinds.txt from the working directory. On failure the
// engine's message is shown and false returned; nothing else is read.
bool startUp();

// The whole run: start-up, the main menu, and the release of the store at the end.
// Returns the process exit status.
int runProgram(QApplication &app);
