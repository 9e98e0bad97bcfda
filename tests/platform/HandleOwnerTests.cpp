// The kernel and GDI handle owners let go of what they hold exactly once:
// never while another owner has it, never twice, always at the end.
#include <gtest/gtest.h>

#include <utility>

#include "platform/GdiHandles.h"
#include "platform/KernelHandle.h"

namespace vellora {
namespace {

bool HandleIsOpen(HANDLE h) {
  DWORD flags = 0;
  return GetHandleInformation(h, &flags) != 0;
}

bool GdiObjectExists(HGDIOBJ object) { return GetObjectType(object) != 0; }

TEST(KernelHandle, MovedAlongIsClosedOnlyByItsLastOwner) {
  HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(raw, nullptr);
  {
    KernelHandle last;
    {
      KernelHandle first(raw);
      KernelHandle middle(std::move(first));
      EXPECT_EQ(first.Get(), nullptr);
      last = std::move(middle);
      EXPECT_EQ(middle.Get(), nullptr);
    }
    EXPECT_TRUE(HandleIsOpen(raw));
    // Moving onto itself keeps it.
    KernelHandle& same = last;
    last = std::move(same);
    EXPECT_TRUE(HandleIsOpen(raw));
  }
  EXPECT_FALSE(HandleIsOpen(raw));
}

TEST(KernelHandle, ResetClosesTheOldHandleButNotTheOneItIsGivenAgain) {
  HANDLE a = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE b = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(a && b);
  KernelHandle owner(a);
  owner.Reset(a);
  EXPECT_TRUE(HandleIsOpen(a)) << "the same handle again";
  owner.Reset(b);
  EXPECT_FALSE(HandleIsOpen(a));
  EXPECT_TRUE(HandleIsOpen(b));
  HANDLE released = owner.Release();
  EXPECT_EQ(released, b);
  owner.Reset();
  EXPECT_TRUE(HandleIsOpen(b)) << "a released handle is the caller's";
  CloseHandle(b);
}

TEST(KernelHandle, AFailedCreateFileIsNoHandle) {
  KernelHandle file(CreateFileA("Z:\\no\\such\\folder\\file.vlx", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_EQ(file.Get(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(file.Valid());
  file.Reset();  // nothing to close, nothing closed
  EXPECT_FALSE(file.Valid());
}

TEST(MappedView, IsUnmappedOnceByItsLastOwner) {
  KernelHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr));
  ASSERT_TRUE(mapping.Valid());
  void* raw = MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, 0);
  ASSERT_NE(raw, nullptr);
  MEMORY_BASIC_INFORMATION info;
  {
    MappedView last;
    {
      MappedView first(raw);
      last = std::move(first);
      EXPECT_EQ(first.Get(), nullptr);
    }
    static_cast<char*>(raw)[0] = 'x';  // still mapped
    ASSERT_NE(VirtualQuery(raw, &info, sizeof info), 0u);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_COMMIT));
  }
  ASSERT_NE(VirtualQuery(raw, &info, sizeof info), 0u);
  EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE));
}

TEST(GdiHandles, AnObjectIsDeletedOnceByItsLastOwner) {
  HBRUSH a = CreateSolidBrush(RGB(1, 2, 3));
  HBRUSH b = CreateSolidBrush(RGB(4, 5, 6));
  ASSERT_TRUE(a && b);
  {
    BrushHandle last;
    {
      BrushHandle first(a);
      last = std::move(first);
      EXPECT_EQ(first.Get(), nullptr);
    }
    EXPECT_TRUE(GdiObjectExists(a));
    last.Reset(a);
    EXPECT_TRUE(GdiObjectExists(a)) << "the same object again";
    last.Reset(b);
    EXPECT_FALSE(GdiObjectExists(a));
  }
  EXPECT_FALSE(GdiObjectExists(b));
}

}  // namespace
}  // namespace vellora
