// The handle owners: each handle is released once, on scope exit and on
// reset, and never by a moved-from owner.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

#include "base/win_handles_win.h"

namespace {

HBITMAP NewBitmap() {
    win::WindowDc screen(nullptr);
    return CreateCompatibleBitmap(screen.get(), 8, 8);
}

TEST(Handles, BitmapIsDeletedOnScopeExitAndReset) {
    HBITMAP raw;
    {
        win::Bitmap bitmap(NewBitmap());
        raw = bitmap.get();
        ASSERT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BITMAP));
    }
    EXPECT_EQ(GetObjectType(raw), 0u);

    win::Bitmap bitmap(NewBitmap());
    HBITMAP first = bitmap.get();
    bitmap.reset(NewBitmap());
    EXPECT_EQ(GetObjectType(first), 0u);
    EXPECT_EQ(GetObjectType(bitmap.get()), static_cast<DWORD>(OBJ_BITMAP));
}

TEST(Handles, MovedOwnerDoesNotReleaseAndReleaseHandsOver) {
    win::Bitmap a(NewBitmap());
    HBITMAP raw = a.get();
    win::Bitmap b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), raw);
    {
        win::Bitmap c;
        c = std::move(b);
        EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BITMAP));
    }
    EXPECT_EQ(GetObjectType(raw), 0u);

    win::Bitmap d(NewBitmap());
    HBITMAP kept = d.release();
    EXPECT_FALSE(d);
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_BITMAP));
    DeleteObject(kept);
}

TEST(Handles, SelectGuardPutsThePreviousObjectBack) {
    win::WindowDc screen(nullptr);
    win::MemoryDc memory(CreateCompatibleDC(screen.get()));
    ASSERT_TRUE(memory);
    HGDIOBJ original = GetCurrentObject(memory.get(), OBJ_BITMAP);
    win::Bitmap bitmap(NewBitmap());
    {
        win::SelectGuard selected(memory.get(), bitmap.get());
        EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_BITMAP), original);
    HDC rawDc = memory.get();
    memory.reset();
    EXPECT_EQ(GetObjectType(rawDc), 0u);
}

TEST(Handles, FileHandleTreatsInvalidAsNone) {
    win::FileHandle none(
        CreateFileA("no such folder\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(none);
    win::FileHandle file(CreateFileA("handles.tmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    // Opened without sharing: a second open fails until the owner closes it.
    EXPECT_EQ(CreateFileA("handles.tmp", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    file.reset();
    win::FileHandle again(
        CreateFileA("handles.tmp", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(again);
}

}  // namespace
