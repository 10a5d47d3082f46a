#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace velmora::testing {

// A fixture with a fresh temporary directory; the files made through it are
// removed again after each test.
class ScratchDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "velmora_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        for (const std::string& f : m_files) std::remove(f.c_str());
        ::rmdir(m_dir.c_str());
    }
    // A path in the directory, removed after the test.
    std::string path(const std::string& name) {
        m_files.push_back(m_dir + "/" + name);
        return m_files.back();
    }
    // Writes `bytes` exactly to a new file and returns its path.
    std::string writeFile(const std::string& name, const std::string& bytes) {
        const std::string file = path(name);
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

    std::string m_dir;
    std::vector<std::string> m_files;
};

}  // namespace velmora::testing
