// SPDX-License-Identifier: MIT
// A doubly linked list that owns its items: each item owns its successor,
// the list owns the head. Unlinking hands the item's ownership back.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace net {

class DoublyLinkedChain;

class TDoublyLinkedItem {
public:
    TDoublyLinkedItem() = default;
    virtual ~TDoublyLinkedItem() = default;
    TDoublyLinkedItem(const TDoublyLinkedItem&) = delete;
    TDoublyLinkedItem& operator=(const TDoublyLinkedItem&) = delete;

    TDoublyLinkedItem* Next() const { return next_.get(); }
    TDoublyLinkedItem* Prev() const { return prev_; }

private:
    friend class DoublyLinkedChain;
    std::unique_ptr<TDoublyLinkedItem> next_;
    TDoublyLinkedItem* prev_ = nullptr;
    const DoublyLinkedChain* chain_ = nullptr; // the list holding the item
};

class TDoublyLinkedString : public TDoublyLinkedItem {
public:
    TDoublyLinkedString() = default;
    explicit TDoublyLinkedString(std::string value) : Value(std::move(value)) {}
    std::string Value;
};

// The untyped list; TDoublyLinkedList below adds the item type.
class DoublyLinkedChain {
public:
    DoublyLinkedChain() = default;
    ~DoublyLinkedChain() { Clear(); }
    DoublyLinkedChain(const DoublyLinkedChain&) = delete;
    DoublyLinkedChain& operator=(const DoublyLinkedChain&) = delete;

    TDoublyLinkedItem* Head() const { return head_.get(); }
    TDoublyLinkedItem* Tail() const { return tail_; }
    std::size_t Count() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }
    bool Holds(const TDoublyLinkedItem* item) const { return item && item->chain_ == this; }

    TDoublyLinkedItem* Append(std::unique_ptr<TDoublyLinkedItem> item);
    // Null when the item is not in this list.
    std::unique_ptr<TDoublyLinkedItem> Unlink(TDoublyLinkedItem* item);
    void Delete(TDoublyLinkedItem* item) { Unlink(item); }
    std::unique_ptr<TDoublyLinkedItem> RemoveHead() { return Unlink(head_.get()); }
    void Clear();

private:
    std::unique_ptr<TDoublyLinkedItem> head_;
    TDoublyLinkedItem* tail_ = nullptr;
    std::size_t count_ = 0;
};

template <class Item = TDoublyLinkedItem> class TDoublyLinkedList {
public:
    Item* Head() const { return static_cast<Item*>(chain_.Head()); }
    Item* Tail() const { return static_cast<Item*>(chain_.Tail()); }
    static Item* NextOf(const Item* item) { return static_cast<Item*>(item->Next()); }
    std::size_t Count() const { return chain_.Count(); }
    bool IsEmpty() const { return chain_.IsEmpty(); }

    Item* Append(std::unique_ptr<Item> item) { return static_cast<Item*>(chain_.Append(std::move(item))); }
    std::unique_ptr<Item> Unlink(Item* item) { return Downcast(chain_.Unlink(item)); }
    void Delete(Item* item) { chain_.Delete(item); }
    std::unique_ptr<Item> RemoveHead() { return Downcast(chain_.RemoveHead()); }
    void Clear() { chain_.Clear(); }

private:
    static std::unique_ptr<Item> Downcast(std::unique_ptr<TDoublyLinkedItem> item)
    {
        return std::unique_ptr<Item>(static_cast<Item*>(item.release()));
    }
    DoublyLinkedChain chain_;
};

} // namespace net
