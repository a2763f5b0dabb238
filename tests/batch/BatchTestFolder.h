#pragma once

#include "MediaFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

// A fresh folder per test, with small helpers for plain files.
class BatchTestFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeTempFolder("batch");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        RemoveTree(folder);
    }

    std::string Path(const std::string& name) const { return folder + "/" + name; }

    std::string Touch(const std::string& name, const std::string& content = "data")
    {
        const std::string path = Path(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    static std::string Read(const std::string& path) { return ReadWholeFile(path); }

    static bool Exists(const std::string& path) { return std::filesystem::exists(path); }

    std::string folder;
};
