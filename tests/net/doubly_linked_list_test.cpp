// SPDX-License-Identifier: MIT
// The owning doubly linked list of the socket's buffers.
#include "net/buffers/buffer_items.h"
#include "net/buffers/doubly_linked_list.h"

#include <gtest/gtest.h>

namespace {

struct Counted : net::TDoublyLinkedString {
    Counted(std::string value, int& alive) : TDoublyLinkedString(std::move(value)), alive(alive) { ++alive; }
    ~Counted() override { --alive; }
    int& alive;
};

using List = net::TDoublyLinkedList<Counted>;

std::string Forward(const List& list)
{
    std::string out;
    for (Counted* item = list.Head(); item; item = List::NextOf(item))
        out += item->Value;
    return out;
}

std::string Backward(const List& list)
{
    std::string out;
    for (auto* item = list.Tail(); item; item = static_cast<Counted*>(item->Prev()))
        out += item->Value;
    return out;
}

struct LinkedList : ::testing::Test {
    int alive = 0;
    List list;
    Counted* Add(const char* value) { return list.Append(std::make_unique<Counted>(value, alive)); }
};

TEST_F(LinkedList, UnlinkHandsTheItemBack)
{
    EXPECT_TRUE(list.IsEmpty());
    Add("a");
    Counted* b = Add("b");
    Add("c");
    EXPECT_EQ(list.Count(), 3u);
    EXPECT_EQ(Forward(list), "abc");
    EXPECT_EQ(Backward(list), "cba");
    std::unique_ptr<Counted> taken = list.Unlink(b);
    ASSERT_EQ(taken.get(), b);
    EXPECT_EQ(Forward(list), "ac");
    EXPECT_EQ(Backward(list), "ca");
    EXPECT_EQ(alive, 3);
    // It can join another list; this one no longer knows it.
    EXPECT_EQ(list.Unlink(b), nullptr);
    List other;
    other.Append(std::move(taken));
    EXPECT_EQ(Forward(other), "b");
}

TEST_F(LinkedList, DeleteRemoveHeadAndClearFreeItems)
{
    Counted* a = Add("a");
    Add("b");
    Counted* c = Add("c");
    Add("d");
    list.Delete(c);
    EXPECT_EQ(alive, 3);
    EXPECT_EQ(Forward(list), "abd");
    std::unique_ptr<Counted> head = list.RemoveHead();
    EXPECT_EQ(head.get(), a);
    EXPECT_EQ(Forward(list), "bd");
    EXPECT_EQ(Backward(list), "db");
    head.reset();
    EXPECT_EQ(alive, 2);
    list.Clear();
    EXPECT_EQ(alive, 0);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Head(), nullptr);
    EXPECT_EQ(list.Tail(), nullptr);
    EXPECT_EQ(list.RemoveHead(), nullptr);
}

TEST_F(LinkedList, ItemsOfAnotherListAreLeftAlone)
{
    List other;
    Counted* foreign = other.Append(std::make_unique<Counted>("x", alive));
    Add("a");
    EXPECT_EQ(list.Unlink(foreign), nullptr);
    list.Delete(foreign);
    EXPECT_EQ(Forward(other), "x");
    EXPECT_EQ(list.Count(), 1u);
}

TEST_F(LinkedList, LongListIsFreedWithoutDeepRecursion)
{
    {
        List big;
        for (int i = 0; i < 300000; ++i)
            big.Append(std::make_unique<Counted>("", alive));
        EXPECT_EQ(alive, 300000);
    }
    EXPECT_EQ(alive, 0);
}

} // namespace
