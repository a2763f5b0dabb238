#pragma once

#include <functional>
#include <string>

// What became of an input that was to get its own name back.
struct NameBack {
    enum Kind {
        kRestored,      // moved from its temporary name to its own
        kAlreadyBack,   // nothing under the temporary name, the own name is there
        kOwnNameTaken,  // another file holds the own name: the input stays under its
                        // temporary name (error EEXIST)
        kMissing,       // neither name holds a file (error ENOENT, of the temporary name)
        kMoveFailed,    // the move failed (error says why); it stays under its temporary name
    } kind = kRestored;
    int error = 0;

    // The input is under its own name; nothing is left to do for it.
    bool Back() const { return kind == kRestored || kind == kAlreadyBack; }
};

// Moves the file at temporary back to own, never replacing a file there.
// Used by start-up recovery, for the inputs that earlier versions of the
// program (which renamed inputs during a batch) left under temporary names.
// move: the move to use (tests replace it); it must never replace a file.
NameBack GiveNameBack(const std::string& temporary, const std::string& own,
                      const std::function<int(const std::string&, const std::string&)>& move = {});
