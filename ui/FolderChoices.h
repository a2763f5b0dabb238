#pragma once

#include <QString>

// Where the Add dialog opens: the folder files were last added from while
// it still exists, else the user's videos folder, else home.
QString AddDialogFolder(const QString& lastAddedFrom, const QString& videos, const QString& home);

// Whether Start may offer to create a typed output folder: an absolute path
// under which nothing exists yet.
bool MayOfferToCreateFolder(const QString& folder);
