#pragma once

#include "ui/Openers.h"

// The program's windows as each opens the others: the daily-entry window (from the menu and
// from a query result) opens the kind manager; the query window opens the daily-entry window.
ui::Openers windowOpeners();
