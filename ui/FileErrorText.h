#pragma once

#include <QString>

// The text of the file-error box for a failed file operation on path, in
// the current language ([WJCW] of g_texts), with the path in it.
QString FileErrorText(const QString& path, int errorNumber);
