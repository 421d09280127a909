// SPDX-License-Identifier: MIT
#include "net/buffers/doubly_linked_list.h"

namespace net {

TDoublyLinkedItem* DoublyLinkedChain::Append(std::unique_ptr<TDoublyLinkedItem> item)
{
    if (!item || item->chain_)
        return nullptr;
    TDoublyLinkedItem* raw = item.get();
    raw->chain_ = this;
    raw->prev_ = tail_;
    if (tail_)
        tail_->next_ = std::move(item);
    else
        head_ = std::move(item);
    tail_ = raw;
    ++count_;
    return raw;
}

std::unique_ptr<TDoublyLinkedItem> DoublyLinkedChain::Unlink(TDoublyLinkedItem* item)
{
    if (!Holds(item))
        return nullptr;
    std::unique_ptr<TDoublyLinkedItem>& owner = item->prev_ ? item->prev_->next_ : head_;
    std::unique_ptr<TDoublyLinkedItem> taken = std::move(owner);
    owner = std::move(item->next_);
    if (owner)
        owner->prev_ = item->prev_;
    else
        tail_ = item->prev_;
    item->prev_ = nullptr;
    item->chain_ = nullptr;
    --count_;
    return taken;
}

void DoublyLinkedChain::Clear()
{
    // One item at a time: letting the head's destructor free the chain
    // would recurse once per item.
    while (head_) {
        std::unique_ptr<TDoublyLinkedItem> next = std::move(head_->next_);
        head_ = std::move(next);
    }
    tail_ = nullptr;
    count_ = 0;
}

} // namespace net
