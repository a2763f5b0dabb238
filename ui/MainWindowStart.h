#pragma once

#include <QString>
#include <QStringList>

class CFennexAVConverterDlg;

// The files named on the window's command line ("Open with" from a file
// manager, the menu entry's %F): every argument after the program's own name
// that is left once Qt has taken its own options, relative ones taken from
// folder. There are no options of ours, so "-x" is a file named -x. Empty
// arguments name nothing and are skipped.
QStringList FilesFromArguments(const QStringList& arguments, const QString& folder);

// Shows the main window and, once the event loop runs, adds files as a drop
// adds them (each probed; one message at the end names the refused ones).
void StartMainWindow(CFennexAVConverterDlg& dialog, const QStringList& files);
