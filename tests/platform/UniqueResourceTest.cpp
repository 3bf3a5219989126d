#include "platform/UniqueResource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

HANDLE handle(int value)
{
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(value));
}

TEST(UniqueResourceTest, EachHandleIsReleasedOnceByItsLastOwner)
{
    std::vector<HANDLE> closed;
    platform::ScopedOverride close(&platform::Win32Api::CloseHandle, [&closed](HANDLE h) {
        closed.push_back(h);
        return TRUE;
    });
    {
        platform::UniqueHandle first(handle(1));
        platform::UniqueHandle second(std::move(first));
        EXPECT_FALSE(first.valid());
        second.reset(handle(2));
        *second.put() = handle(3);
        EXPECT_EQ((std::vector<HANDLE>{handle(1), handle(2)}), closed) << "reset and put release first";
        platform::UniqueHandle third(handle(4));
        third = std::move(second);
        EXPECT_EQ(handle(3), third.get());
        platform::UniqueHandle kept(handle(5));
        EXPECT_EQ(handle(5), kept.release());
    }
    EXPECT_EQ((std::vector<HANDLE>{handle(1), handle(2), handle(4), handle(3)}), closed);
}

struct Counted {
    ULONG Release() { return --references; }
    ULONG references = 1;
};

TEST(ComPtrTest, EachReferenceIsReleasedOnceByItsLastOwner)
{
    Counted a, b;
    {
        platform::ComPtr<Counted> first;
        *first.put() = &a;
        platform::ComPtr<Counted> second(std::move(first));
        *second.put() = &b;
        EXPECT_EQ(0u, a.references) << "put releases what was held";
        platform::ComPtr<Counted> third;
        third = std::move(second);
        EXPECT_EQ(1u, b.references) << "moved, not copied";
    }
    EXPECT_EQ(0u, b.references);
}

} // namespace
