// A doubly linked list addressed by index, with a cached cursor so that walking it in order is
// cheap.
#pragma once

#include "core/VornError.h"

#include <cstdlib>
#include <iterator>
#include <new>
#include <type_traits>
#include <utility>

namespace vorn {

// Access by index walks from the cursor (the last node reached), from the head or from the tail,
// whichever is nearest, so sequential access costs O(1) per step. Insertion at an index places the
// new element before the one that held that index; appending is insertion at Count().
template <typename T>
class IndexedList {
    struct Node {
        T value;
        Node* prev = nullptr;
        Node* next = nullptr;
    };

public:
    IndexedList() = default;
    IndexedList(const IndexedList& other) {
        for (const T& v : other)
            Append(v);
    }
    IndexedList(IndexedList&& other) noexcept { Swap(other); }
    IndexedList& operator=(IndexedList other) noexcept {
        Swap(other);
        return *this;
    }
    ~IndexedList() { Clear(); }

    int Count() const { return m_count; }
    bool Empty() const { return m_count == 0; }

    T& Append(T value) { return Insert(m_count, std::move(value)); }

    // Inserts before the element at index (0 <= index <= Count()).
    T& Insert(int index, T value) {
        if (index < 0 || index > m_count)
            VORN_RAISE("list", "Invalid index");
        Node* node = Allocate(std::move(value));
        if (index == m_count) {
            node->prev = m_tail;
            (m_tail ? m_tail->next : m_head) = node;
            m_tail = node;
        } else {
            Node* at = NodeAt(index);
            node->prev = at->prev;
            node->next = at;
            (at->prev ? at->prev->next : m_head) = node;
            at->prev = node;
        }
        ++m_count;
        m_cursor = node;
        m_cursorIndex = index;
        return node->value;
    }

    void Remove(int index) {
        Node* node = NodeAt(index);
        (node->prev ? node->prev->next : m_head) = node->next;
        (node->next ? node->next->prev : m_tail) = node->prev;
        m_cursor = node->next;
        m_cursorIndex = index;
        if (!m_cursor) {
            m_cursor = node->prev;
            m_cursorIndex = index - 1;
        }
        delete node;
        --m_count;
    }

    T& operator[](int index) { return NodeAt(index)->value; }
    const T& operator[](int index) const { return NodeAt(index)->value; }

    void Clear() {
        while (m_head) {
            Node* next = m_head->next;
            delete m_head;
            m_head = next;
        }
        m_tail = m_cursor = nullptr;
        m_count = 0;
        m_cursorIndex = -1;
    }

    void Swap(IndexedList& other) noexcept {
        std::swap(m_head, other.m_head);
        std::swap(m_tail, other.m_tail);
        std::swap(m_cursor, other.m_cursor);
        std::swap(m_cursorIndex, other.m_cursorIndex);
        std::swap(m_count, other.m_count);
    }

    template <typename NodePtr, typename Ref>
    class Iter {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = std::remove_reference_t<Ref>*;
        using reference = Ref;
        explicit Iter(NodePtr n) : m_node(n) {}
        Ref operator*() const { return m_node->value; }
        pointer operator->() const { return &m_node->value; }
        Iter& operator++() {
            m_node = m_node->next;
            return *this;
        }
        bool operator==(const Iter& o) const { return m_node == o.m_node; }
        bool operator!=(const Iter& o) const { return m_node != o.m_node; }

    private:
        NodePtr m_node;
    };
    using iterator = Iter<Node*, T&>;
    using const_iterator = Iter<const Node*, const T&>;
    iterator begin() { return iterator(m_head); }
    iterator end() { return iterator(nullptr); }
    const_iterator begin() const { return const_iterator(m_head); }
    const_iterator end() const { return const_iterator(nullptr); }

private:
    Node* Allocate(T value) {
        Node* node = new (std::nothrow) Node{std::move(value)};
        if (!node) {
            if (m_count == 0)
                VORN_RAISE("list", "Error! Can't allocate memory for first element of list");
            throw std::bad_alloc();
        }
        return node;
    }

    // Walks to the node at index from the nearest of head, tail and cursor. The cursor is mutable
    // state of a logically const lookup.
    Node* NodeAt(int index) const {
        if (index < 0 || index >= m_count)
            VORN_RAISE("list", "Invalid index");
        Node* node = m_head;
        int at = 0;
        int best = index;
        if (m_count - 1 - index < best) {
            node = m_tail;
            at = m_count - 1;
            best = m_count - 1 - index;
        }
        if (m_cursor && std::abs(index - m_cursorIndex) < best) {
            node = m_cursor;
            at = m_cursorIndex;
        }
        while (at < index) {
            node = node->next;
            ++at;
        }
        while (at > index) {
            node = node->prev;
            --at;
        }
        m_cursor = node;
        m_cursorIndex = index;
        return node;
    }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    mutable Node* m_cursor = nullptr;
    mutable int m_cursorIndex = -1;
    int m_count = 0;
};

} // namespace vorn
