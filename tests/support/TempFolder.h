#pragma once

// Temporary folders and plain files for the tests.

#include "files/CreatedFile.h"

#include <cstddef>
#include <set>
#include <string>

// A fresh folder under /tmp (mkdtemp) whose name holds tag; the caller
// removes it (RemoveTree).
std::string MakeTempFolder(const std::string& tag);
// Removes a folder under /tmp with everything in it, also where a test
// took write or search permission away from a folder inside.
void RemoveTree(const std::string& folder);

// Writes raw bytes, replacing the file (empty and garbage files).
bool WriteBytes(const std::string& path, const std::string& bytes);
// The whole content of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Creates a new file holding content the way the program creates its
// outputs, and returns its identity (path empty when it could not).
CreatedFile CreateAsTheProgramDoes(const std::string& path, const std::string& content);

// The names of the entries of a folder (not below it).
std::set<std::string> Names(const std::string& folder);
// How many lines of text begin with start.
std::size_t CountLines(const std::string& text, const std::string& start);

// A fresh temporary folder, removed with everything in it when the object
// goes.
class TempFolder
{
public:
    explicit TempFolder(const std::string& tag = "test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Empty when the folder could not be made.
    const std::string& path() const { return m_path; }
    // A path inside the folder.
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    std::string File(const std::string& name) const { return *this / name; }
    // Writes a file inside the folder (making the folders on its way) and
    // returns its path.
    std::string Touch(const std::string& name, const std::string& content = "data") const;

private:
    std::string m_path;
};
