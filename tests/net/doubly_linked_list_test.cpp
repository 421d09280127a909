// SPDX-License-Identifier: MIT
// The owning doubly linked list of the socket's buffers.
#include "net/buffers/buffer_items.h"
#include "net/buffers/doubly_linked_list.h"

#include <gtest/gtest.h>

namespace {

struct Counted : net::TDoublyLinkedString {
    Counted(std::string value, int& alive) : TDoublyLinkedString(std::move(value)), Alive(alive) { ++alive; }
    ~Counted() override { --Alive; }
    int& Alive;
};

using CountedList = net::TDoublyLinkedList<Counted>;

std::string Forward(const CountedList& list)
{
    std::string out;
    for (Counted* item = list.Head(); item; item = CountedList::NextOf(item))
        out += item->Value;
    return out;
}

std::string Backward(const CountedList& list)
{
    std::string out;
    for (auto* item = list.Tail(); item; item = static_cast<Counted*>(item->Prev()))
        out += item->Value;
    return out;
}

struct LinkedList : ::testing::Test {
    int Alive = 0;
    CountedList List;
    Counted* Add(const char* value) { return List.Append(std::make_unique<Counted>(value, Alive)); }
};

TEST_F(LinkedList, UnlinkHandsTheItemBack)
{
    EXPECT_TRUE(List.IsEmpty());
    Add("a");
    Counted* b = Add("b");
    Add("c");
    EXPECT_EQ(List.Count(), 3u);
    EXPECT_EQ(Forward(List), "abc");
    EXPECT_EQ(Backward(List), "cba");
    std::unique_ptr<Counted> taken = List.Unlink(b);
    ASSERT_EQ(taken.get(), b);
    EXPECT_EQ(Forward(List), "ac");
    EXPECT_EQ(Backward(List), "ca");
    EXPECT_EQ(Alive, 3);
    // It can join another list; this one no longer knows it.
    EXPECT_EQ(List.Unlink(b), nullptr);
    CountedList other;
    other.Append(std::move(taken));
    EXPECT_EQ(Forward(other), "b");
}

TEST_F(LinkedList, DeleteRemoveHeadAndClearFreeItems)
{
    Counted* a = Add("a");
    Add("b");
    Counted* c = Add("c");
    Add("d");
    List.Delete(c);
    EXPECT_EQ(Alive, 3);
    EXPECT_EQ(Forward(List), "abd");
    std::unique_ptr<Counted> head = List.RemoveHead();
    EXPECT_EQ(head.get(), a);
    EXPECT_EQ(Forward(List), "bd");
    EXPECT_EQ(Backward(List), "db");
    head.reset();
    EXPECT_EQ(Alive, 2);
    List.Clear();
    EXPECT_EQ(Alive, 0);
    EXPECT_TRUE(List.IsEmpty());
    EXPECT_EQ(List.Head(), nullptr);
    EXPECT_EQ(List.Tail(), nullptr);
    EXPECT_EQ(List.RemoveHead(), nullptr);
}

TEST_F(LinkedList, ItemsOfAnotherListAreLeftAlone)
{
    CountedList other;
    Counted* foreign = other.Append(std::make_unique<Counted>("x", Alive));
    Add("a");
    EXPECT_EQ(List.Unlink(foreign), nullptr);
    List.Delete(foreign);
    EXPECT_EQ(Forward(other), "x");
    EXPECT_EQ(List.Count(), 1u);
}

TEST_F(LinkedList, LongListIsFreedWithoutDeepRecursion)
{
    {
        CountedList big;
        for (int i = 0; i < 300000; ++i)
            big.Append(std::make_unique<Counted>("", Alive));
        EXPECT_EQ(Alive, 300000);
    }
    EXPECT_EQ(Alive, 0);
}

} // namespace
