#pragma once

class QString;
class QWidget;

// The main window carries the instance tag as a property while it is open, so the
// application object can bring it forward when the program is started again.
// Interface thread only.
void MarkMainWindow(QWidget* window);
void UnmarkMainWindow(QWidget* window);
// The marked top-level window, or null before it has marked itself and after it closed.
QWidget* FindMarkedWindow();

// Lets tests watch a running program that shows no output of its own: appends the
// event to the file named by KESTROVA_TEST_EVENT_LOG, when set.
void LogTestEvent(const QString& event);
