#pragma once

// What the windows that look across stored data share: staying current while they show, and a
// note that stands in a list's place when the list is empty.

#include <functional>

class QLabel;
class QWidget;

// Runs `refresh` when `window` is shown or activated, and every `intervalMs` while it shows, so
// that changes made elsewhere (another window, another program) appear without a click.
void keepCurrent(QWidget* window, std::function<void()> refresh, int intervalMs = 1500);

// A centred, wrapped note on the list's own background, to put in the list's place.
QLabel* makeViewNote(const char* name);
