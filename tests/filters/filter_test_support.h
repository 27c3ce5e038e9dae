// Shared fixtures of the filter tests: a scratch folder removed afterwards, and the process-wide
// language, categories and selection put back as they were.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "common/process_state.h"
#include "common/utf.h"
#include "filters/filter_category.h"

namespace kx::testing {

class FilterStateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedChinese_ = UseChinese;
        savedCategories_ = FilterCategories;
        savedSelected_ = SelectedCategory;
    }
    void TearDown() override {
        UseChinese = savedChinese_;
        SetFilterCategories(savedCategories_);
        SelectedCategory = savedSelected_;
    }

  private:
    bool savedChinese_ = false;
    CategoryList savedCategories_;
    std::int32_t savedSelected_ = 0;
};

class ScratchFolderTest : public FilterStateTest {
  protected:
    void SetUp() override {
        FilterStateTest::SetUp();
        std::random_device random;
        root_ = std::filesystem::temp_directory_path() /
                ("kx-filters-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(root_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
        FilterStateTest::TearDown();
    }

    const std::filesystem::path& Root() const { return root_; }
    std::u16string Path(const std::string& name) const {
        return Utf8ToUtf16((root_ / name).u8string());
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(root_ / name, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(root_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(root_ / name); }

  private:
    std::filesystem::path root_;
};

}  // namespace kx::testing
