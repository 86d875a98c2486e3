#pragma once

#include <QString>

// The text of the about box.
QString aboutText();
