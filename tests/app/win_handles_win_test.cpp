// The handle owners and guards on real GDI and kernel objects.
#include <gtest/gtest.h>
#include <windows.h>

#include <type_traits>
#include <utility>

#include "app/win_handles.h"
#include "support/win_test_window.h"

namespace {

static_assert(!std::is_copy_constructible_v<UniqueBitmap>);
static_assert(!std::is_copy_assignable_v<UniqueFile>);

TEST(WinHandles, AnOwnerReleasesOnceAndMovingHandsTheObjectOver) {
    HBITMAP raw = CreateBitmap(2, 2, 1, 32, nullptr);
    ASSERT_NE(raw, nullptr);
    {
        UniqueBitmap first(raw);
        UniqueBitmap second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), raw);
        UniqueBitmap third;
        third = std::move(second);
        EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BITMAP)) << "still alive while owned";
    }
    EXPECT_EQ(GetObjectType(raw), 0u) << "released when the last owner went";

    UniqueBitmap owner(CreateBitmap(2, 2, 1, 32, nullptr));
    HBITMAP old = owner.get();
    owner.reset(CreateBitmap(2, 2, 1, 32, nullptr)); // re-creating under a number works like this
    EXPECT_EQ(GetObjectType(old), 0u);
    EXPECT_NE(GetObjectType(owner.get()), 0u);
}

TEST(WinHandles, AFileOwnerKnowsThatInvalidHandleValueMeansNone) {
    UniqueFile missing(CreateFileW(L"Z:\\no\\such\\folder\\file", GENERIC_READ, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
    const std::wstring path = TestProgramDirectory() + L"handle-test.tmp";
    {
        UniqueFile file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        // Held without sharing: nobody else may open it meanwhile.
        EXPECT_EQ(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
                  INVALID_HANDLE_VALUE);
    }
    UniqueFile again(
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(again) << "the first owner closed it";
    again.reset();
    DeleteFileW(path.c_str());
}

TEST(WinHandles, ASelectGuardPutsThePreviousObjectBack) {
    WindowDc screen(nullptr);
    ASSERT_NE(screen.get(), nullptr);
    UniqueDc dc(CreateCompatibleDC(screen.get()));
    const HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_FONT);
    UniqueFont font(CreateFontA(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                0, 0, "Tahoma"));
    {
        SelectGuard useFont(dc.get(), font.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), font.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), before);
    SelectGuard nothing(dc.get(), nullptr); // a missing object selects nothing
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), before);
}

} // namespace
