#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

// A fresh folder per test, with small helpers for plain files.
class BatchTestFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/fennex-batch-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(folder, ignored);
    }

    std::string Path(const std::string& name) const { return folder + "/" + name; }

    std::string Touch(const std::string& name, const std::string& content = "data")
    {
        const std::string path = Path(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static bool Exists(const std::string& path) { return std::filesystem::exists(path); }

    std::string folder;
};
