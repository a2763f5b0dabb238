#pragma once

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// A test with a fresh temporary folder of its own.
class FolderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(folder.empty()); }

    std::string Path(const std::string& name) const { return m_temp / name; }
    std::string Touch(const std::string& name, const std::string& content = "data") const
    {
        return m_temp.Touch(name, content);
    }
    static std::string Read(const std::string& path) { return ReadWholeFile(path); }
    static bool Exists(const std::string& path) { return std::filesystem::exists(path); }

private:
    TempFolder m_temp;

protected:
    const std::string folder = m_temp.path();
};
