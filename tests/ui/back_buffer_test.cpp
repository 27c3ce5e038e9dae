// Replacing the bitmap selected into a memory DC, as a resize does with the back buffer.
#if defined(_WIN32)
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/gdi_resources.h"

namespace kx {
namespace {

class SelectedBitmap : public ::testing::Test {
  protected:
    void SetUp() override {
        dc_.reset(::CreateCompatibleDC(nullptr));
        ASSERT_TRUE(dc_);
        ASSERT_TRUE(ReplaceSelectedBitmap(dc_.get(), &selected_, Bitmap()));
        first_ = selected_.get();
    }
    UniqueBitmap Bitmap() const { return UniqueBitmap(::CreateCompatibleBitmap(dc_.get(), 8, 8)); }
    HGDIOBJ InDc() const { return ::GetCurrentObject(dc_.get(), OBJ_BITMAP); }

    UniqueMemoryDC dc_;
    UniqueBitmap selected_;
    HBITMAP first_ = nullptr;
};

TEST_F(SelectedBitmap, ANewBitmapTakesThePlaceOfTheOldOneWhichIsDeleted) {
    UniqueBitmap next = Bitmap();
    const HBITMAP nextHandle = next.get();
    EXPECT_TRUE(ReplaceSelectedBitmap(dc_.get(), &selected_, std::move(next)));
    EXPECT_EQ(InDc(), nextHandle);
    EXPECT_EQ(selected_.get(), nextHandle);
    EXPECT_EQ(::GetObjectType(first_), 0u) << "the old bitmap was deleted, not leaked";
}

TEST_F(SelectedBitmap, WithoutANewBitmapTheOldOneStaysSelectedAndAlive) {
    EXPECT_FALSE(ReplaceSelectedBitmap(dc_.get(), &selected_, UniqueBitmap()));
    EXPECT_EQ(InDc(), first_);
    EXPECT_EQ(selected_.get(), first_);
    EXPECT_EQ(::GetObjectType(first_), static_cast<DWORD>(OBJ_BITMAP));
    // Still usable: painting into it works.
    EXPECT_TRUE(::PatBlt(dc_.get(), 0, 0, 8, 8, WHITENESS));
    EXPECT_EQ(::GetPixel(dc_.get(), 1, 1), RGB(255, 255, 255));
}

}  // namespace
}  // namespace kx
#endif
